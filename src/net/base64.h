#pragma once
// Base64 as the service uses it. Decoding is lenient by design: the
// service's answers are read whatever stray characters they carry.
#include <string>
#include <string_view>

namespace tv {

// Pads with "=" to a multiple of 4, decodes with the standard alphabet where any
// other character counts as zero bits, then cuts at the first zero byte.
std::string DecodeBase64Lenient(std::string_view text);
// Standard base64 encoding (the service's answers).
std::string EncodeBase64(std::string_view bytes);

}  // namespace tv
