// Query encoding and the transport's lenient base64.
#include <gtest/gtest.h>

#include <random>

#include "core/gbk.h"
#include "net/base64.h"
#include "net/query_encoding.h"

namespace tv {
namespace {

TEST(EncodeQueryValueTest, KeepsOnlyLettersAndDigits) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"a b-1", "a+b%2D1"},
      {Utf8ToGbk("京"), "%BE%A9"},
      {" \t\n\v\f\r", "++++++"},
      {"-_.~/@&=%+", "%2D%5F%2E%7E%2F%40%26%3D%25%2B"},
      {"AZaz09", "AZaz09"},
      {"\x7F\x80\xFF", "%7F%80%FF"},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeQueryValue(c.in), c.out) << c.in;
}

TEST(DecodeBase64LenientTest, Cases) {
  const struct {
    const char* name;
    std::string in, out;
  } cases[] = {
      {"empty", "", ""},
      {"padded to a multiple of four", "SGVsbG8", "Hello"},
      {"one character short of two", "SGVsbA", "Hell"},
      {"line break counts as zero bits", "SGVsbG8=\n", "Hello"},
      {"padding only", "====", ""},
      {"single character", "S", ""},  // six bits never make a byte
      {"stray character gives zero bits and ends the text", "SGVs!G8=", "Hel"},
      {"padding in the middle is zero bits", "SG==bG8=", "H`"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeBase64Lenient(c.in), c.out) << c.name;
}

TEST(DecodeBase64LenientTest, RoundTripsEveryLengthWithoutZeroBytes) {
  std::mt19937 random(7);
  for (std::size_t length = 0; length < 200; ++length) {
    std::string bytes(length, '\0');
    for (char& b : bytes) b = static_cast<char>(1 + random() % 255);
    EXPECT_EQ(DecodeBase64Lenient(EncodeBase64(bytes)), bytes) << length;
  }
}

}  // namespace
}  // namespace tv
