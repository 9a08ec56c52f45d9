#include "core/gbk_fit.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>

namespace tv {
namespace {

constexpr char16_t kEuroSign = 0x20AC;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void Note(GbkFit& fit, char32_t c) {
  if (std::find(fit.unfit.begin(), fit.unfit.end(), c) == fit.unfit.end()) fit.unfit.push_back(c);
}

}  // namespace

GbkFit Utf16ToGbk(std::u16string_view text) {
  GbkFit fit;
  if (text.empty()) return fit;
  const char* from = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
  iconv_t cd = iconv_open("GBK", from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    // No converter at all: nothing can be said to fit.
    for (char16_t c : text) Note(fit, c);
    fit.gbk.assign(text.size(), '?');
    return fit;
  }
  fit.gbk.reserve(text.size() * 2);
  const char16_t* pos = text.data();
  const char16_t* end = text.data() + text.size();
  char buffer[4096];
  while (pos < end) {
    // GBK has no euro sign; iconv writes it as the single byte 0x80 of a
    // Windows code page, which the service refuses as not GBK. It is a
    // character that does not fit, converted up to and stepped over here.
    if (*pos == kEuroSign) {
      Note(fit, kEuroSign);
      fit.gbk.push_back('?');
      ++pos;
      continue;
    }
    const char16_t* stop = std::find(pos, end, kEuroSign);
    char* src = const_cast<char*>(reinterpret_cast<const char*>(pos));
    std::size_t src_left = static_cast<std::size_t>(stop - pos) * sizeof(char16_t);
    char* dst = buffer;
    std::size_t dst_left = sizeof buffer;
    const std::size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    const int error = errno;
    fit.gbk.append(buffer, static_cast<std::size_t>(dst - buffer));
    pos = reinterpret_cast<const char16_t*>(src);
    if (rc != static_cast<std::size_t>(-1) || error == E2BIG) continue;
    // Stopped at a character GBK lacks (EILSEQ) or a lone high surrogate at
    // the end (EINVAL): name it, write '?', step over it.
    char32_t c = *pos;
    std::size_t units = 1;
    if (IsHighSurrogate(*pos) && pos + 1 < end && IsLowSurrogate(pos[1])) {
      c = 0x10000 + ((static_cast<char32_t>(*pos) - 0xD800) << 10) + (pos[1] - 0xDC00);
      units = 2;
    }
    Note(fit, c);
    fit.gbk.push_back('?');
    pos += units;
  }
  iconv_close(cd);
  return fit;
}

std::string DescribeCharacters(const std::vector<char32_t>& characters) {
  std::string out;
  char buffer[16];
  for (char32_t c : characters) {
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
    if (!out.empty()) out += ' ';
    out += buffer;
  }
  return out;
}

}  // namespace tv
