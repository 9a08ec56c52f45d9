#include "net/version_answer.h"

#include "net/answers.h"

namespace tv {
namespace {

// The text between the first and the second "." (or before the first, for
// index 0); empty when the text has no such part.
std::string_view VersionPart(std::string_view version, int index) {
  std::size_t begin = 0;
  for (int i = 0; i < index; ++i) {
    const std::size_t dot = version.find('.', begin);
    if (dot == std::string_view::npos) return {};
    begin = dot + 1;
  }
  const std::size_t end = version.find('.', begin);
  return version.substr(begin, end == std::string_view::npos ? end : end - begin);
}

}  // namespace

VersionAnswer ParseVersionAnswer(std::string_view body) {
  // "#" is ASCII below 0x40 and can never be a trail byte.
  VersionAnswer answer;
  const std::size_t first = body.find('#');
  if (first == std::string_view::npos) return answer;
  const std::size_t second = body.find('#', first + 1);
  if (second == std::string_view::npos) return answer;
  answer.version = body.substr(first + 1, second - first - 1);
  const std::size_t third = body.find('#', second + 1);
  if (third != std::string_view::npos) {
    answer.program_url = body.substr(second + 1, third - second - 1);
  }
  return answer;
}

bool VersionLess(std::string_view a, std::string_view b) {
  // Only major and minor decide: 8.1.0.1 is not older than 8.1.0.2.
  for (int part = 0; part < 2; ++part) {
    const std::int32_t x = LeadingInt(VersionPart(a, part));
    const std::int32_t y = LeadingInt(VersionPart(b, part));
    if (x != y) return x < y;
  }
  return false;
}

}  // namespace tv
