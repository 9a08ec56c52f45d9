#include "feed/message_identity.h"

#include "grid/marked_text.h"

namespace tv {
namespace {

// GBK: the full-width blank, and the double-byte marker characters.
constexpr unsigned char kFullBlank0 = 0xA1, kFullBlank1 = 0xA1;

bool IsAsciiBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Calls `put` with every byte of the normalised text; with kLower, ASCII
// letters come lowered (never a trail byte, which belongs to its character).
template <bool kLower = false, typename Put>
void Normalize(std::string_view gbk, Put&& put) {
  const auto* p = reinterpret_cast<const unsigned char*>(gbk.data());
  const std::size_t n = gbk.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned char c = p[i];
    if (c < 0x81 || c == 0xFF || i + 1 >= n) {
      if constexpr (kLower) {
        if (c >= 'A' && c <= 'Z') {
          put(static_cast<char>(c + ('a' - 'A')));
          ++i;
          continue;
        }
      }
      if (!IsAsciiBlank(c)) put(static_cast<char>(c));
      ++i;
      continue;
    }
    const unsigned char t = p[i + 1];
    i += 2;
    if (c == kFullBlank0 && t == kFullBlank1) continue;
    // Row A3 holds the full-width forms of ASCII 0x21-0x7E in order, but for
    // A3A4 (the yuan sign) and A3FE (the full-width macron), which have no
    // ASCII twin.
    if (c == 0xA3 && t >= 0xA1 && t <= 0xFE && t != 0xA4 && t != 0xFE) {
      const char ascii = static_cast<char>(t - 0x80);
      put(kLower && ascii >= 'A' && ascii <= 'Z' ? static_cast<char>(ascii + ('a' - 'A')) : ascii);
      continue;
    }
    // The markers are all in rows A1 and A6; most characters are neither.
    if ((c == 0xA1 || c == 0xA6) && IsTextMarker(gbk.substr(i - 2, 2))) continue;
    put(static_cast<char>(c));
    put(static_cast<char>(t));
  }
}

}  // namespace

namespace {

template <bool kLower>
void AppendNormalized(std::string_view gbk, std::string& out) {
  // Normalising never lengthens a text: write into room made once.
  const std::size_t at = out.size();
  out.resize(at + gbk.size());
  char* w = out.data() + at;
  Normalize<kLower>(gbk, [&w](char c) { *w++ = c; });
  out.resize(static_cast<std::size_t>(w - out.data()));
}

}  // namespace

void NormalizeContentInto(std::string_view gbk, std::string& out) {
  out.clear();
  AppendNormalized<false>(gbk, out);
}

void AppendSearchable(std::string_view gbk, std::string& out) { AppendNormalized<true>(gbk, out); }

std::string NormalizeContent(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size());
  NormalizeContentInto(gbk, out);
  return out;
}

std::string_view MemberNumberOf(std::string_view flag) {
  while (!flag.empty() && IsAsciiBlank(static_cast<unsigned char>(flag.front()))) {
    flag.remove_prefix(1);
  }
  while (!flag.empty() && IsAsciiBlank(static_cast<unsigned char>(flag.back()))) {
    flag.remove_suffix(1);
  }
  return flag;
}

bool SameMessage(std::string_view flag_a, std::string_view content_a, std::string_view flag_b,
                 std::string_view content_b) {
  if (MemberNumberOf(flag_a) != MemberNumberOf(flag_b)) return false;
  // Both normalised, then compared whole.
  std::string a;
  std::string b;
  a.reserve(content_a.size());
  b.reserve(content_b.size());
  NormalizeContentInto(content_a, a);
  NormalizeContentInto(content_b, b);
  return a == b;
}

std::uint64_t MessageFingerprint(std::string_view flag, std::string_view content) {
  // FNV-1a over the member number, a separator no GBK text holds, and the
  // normalised content; then a final mix so that the low bits spread.
  std::uint64_t h = 0xcbf29ce484222325ULL;
  const auto add = [&h](char c) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001b3ULL;
  };
  for (char c : MemberNumberOf(flag)) add(c);
  add('\0');
  Normalize(content, add);
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  return h;
}

}  // namespace tv
