#include "net/base64.h"

#include <array>
#include <cstdint>

namespace tv {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::uint8_t, 256> MakeDecodeTable() {
  std::array<std::uint8_t, 256> table{};  // anything outside the alphabet: zero bits
  for (int i = 0; i < 64; ++i)
    table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
  return table;
}
constexpr auto kDecode = MakeDecodeTable();

}  // namespace

std::string DecodeBase64Lenient(std::string_view text) {
  std::string padded(text);
  while (padded.size() % 4 != 0) padded.push_back('=');
  std::size_t trailing = 0;
  while (trailing < padded.size() && padded[padded.size() - 1 - trailing] == '=') ++trailing;
  std::size_t out_len = padded.size() / 4 * 3;
  out_len = trailing > out_len ? 0 : out_len - trailing;

  std::string out;
  out.resize(padded.size() / 4 * 3);
  std::size_t o = 0;
  for (std::size_t i = 0; i < padded.size(); i += 4) {
    const std::uint32_t v =
        (std::uint32_t{kDecode[static_cast<unsigned char>(padded[i])]} << 18) |
        (std::uint32_t{kDecode[static_cast<unsigned char>(padded[i + 1])]} << 12) |
        (std::uint32_t{kDecode[static_cast<unsigned char>(padded[i + 2])]} << 6) |
        std::uint32_t{kDecode[static_cast<unsigned char>(padded[i + 3])]};
    out[o++] = static_cast<char>((v >> 16) & 0xFF);
    out[o++] = static_cast<char>((v >> 8) & 0xFF);
    out[o++] = static_cast<char>(v & 0xFF);
  }
  out.resize(out_len);
  const std::size_t zero = out.find('\0');
  if (zero != std::string::npos) out.resize(zero);
  return out;
}

std::string EncodeBase64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const std::uint32_t v = (std::uint32_t{static_cast<unsigned char>(bytes[i])} << 16) |
                            (std::uint32_t{static_cast<unsigned char>(bytes[i + 1])} << 8) |
                            std::uint32_t{static_cast<unsigned char>(bytes[i + 2])};
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(kAlphabet[(v >> 6) & 63]);
    out.push_back(kAlphabet[v & 63]);
  }
  if (i < bytes.size()) {
    std::uint32_t v = std::uint32_t{static_cast<unsigned char>(bytes[i])} << 16;
    if (i + 1 < bytes.size()) v |= std::uint32_t{static_cast<unsigned char>(bytes[i + 1])} << 8;
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

}  // namespace tv
