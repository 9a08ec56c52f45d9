#include "core/gbk.h"

#include <iconv.h>

#include <cerrno>

namespace tv {
namespace {

// A descriptor for one direction, opened once per thread: iconv descriptors
// are not thread-safe, and opening one costs more than converting a short
// text.
class ThreadConverter {
 public:
  ThreadConverter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~ThreadConverter() {
    if (ok()) iconv_close(cd_);
  }
  ThreadConverter(const ThreadConverter&) = delete;
  ThreadConverter& operator=(const ThreadConverter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // The descriptor in its initial state.
  iconv_t Fresh() {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return cd_;
  }

 private:
  iconv_t cd_;
};

// One conversion with a replacement for what cannot be converted.
std::string Convert(ThreadConverter& converter, std::string_view in, std::string_view replacement,
                    std::size_t skip_on_error) {
  std::string out;
  if (in.empty()) return out;
  if (!converter.ok()) return std::string(in);
  iconv_t cd = converter.Fresh();
  out.reserve(in.size() * 2);
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  char buffer[4096];
  while (src_left > 0) {
    char* dst = buffer;
    std::size_t dst_left = sizeof buffer;
    std::size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buffer, dst - buffer);
    if (rc != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL (a truncated sequence at the end): replace and move on.
    out.append(replacement);
    std::size_t skip = skip_on_error;
    if (errno == EILSEQ && skip_on_error == 0) {
      // UTF-8 input: skip one whole (possibly malformed) sequence.
      unsigned char c = static_cast<unsigned char>(*src);
      skip = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      // Never step over a byte that is itself a valid start of something else.
      for (std::size_t i = 1; i < skip && i < src_left; ++i) {
        unsigned char t = static_cast<unsigned char>(src[i]);
        if ((t & 0xC0) != 0x80) {
          skip = i;
          break;
        }
      }
    }
    if (skip == 0) skip = 1;
    if (skip > src_left) skip = src_left;
    src += skip;
    src_left -= skip;
  }
  return out;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
  // A bad GBK pair loses only its first byte, so a following ASCII byte survives.
  thread_local ThreadConverter converter("UTF-8", "GBK");
  return Convert(converter, gbk, "\xEF\xBF\xBD", 1);
}

std::string Utf8ToGbk(std::string_view utf8) {
  thread_local ThreadConverter converter("GBK", "UTF-8");
  std::string gbk = Convert(converter, utf8, "?", 0);
  // iconv writes the euro sign as the single byte 0x80 of a Windows code
  // page; GBK has no such character and the service refuses the byte.
  for (std::size_t i = 0; i < gbk.size(); i += CharWidthAt(gbk, i)) {
    if (static_cast<unsigned char>(gbk[i]) == 0x80) gbk[i] = '?';
  }
  return gbk;
}

std::size_t CharCount(std::string_view gbk) {
  std::size_t count = 0;
  std::size_t n = gbk.size();
  while (n > 0) {
    if (static_cast<unsigned char>(gbk[n - 1]) >= 0x80 && n >= 2) {
      n -= 2;
    } else {
      n -= 1;
    }
    ++count;
  }
  return count;
}

std::string GbkAsciiLower(std::string_view gbk) {
  std::string out(gbk);
  for (std::size_t i = 0; i < out.size(); i += CharWidthAt(out, i)) {
    if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
  }
  return out;
}

std::size_t FindWholeChars(std::string_view text, std::string_view word, std::size_t from) {
  if (from > text.size()) return std::string_view::npos;
  if (word.empty()) return from;
  // Byte matches come from the library's search; the walk over character
  // widths only goes as far as the last match, to see whether it began on a
  // boundary.
  std::size_t boundary = from;
  for (std::size_t hit = text.find(word, from); hit != std::string_view::npos;
       hit = text.find(word, hit + 1)) {
    while (boundary < hit) boundary += CharWidthAt(text, boundary);
    if (boundary == hit) return hit;
  }
  return std::string_view::npos;
}

}  // namespace tv
