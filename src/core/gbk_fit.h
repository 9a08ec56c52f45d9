#pragma once
// Text the member typed, held as UTF-16 (a QString's data), on its way to the
// GBK of the wire. Unlike Utf8ToGbk, which quietly writes '?', this reports
// every character that GBK cannot hold, so a form can refuse and say which.
#include <string>
#include <string_view>
#include <vector>

namespace tv {

struct GbkFit {
  std::string gbk;              // the text, with '?' where a character did not fit
  std::vector<char32_t> unfit;  // each character that did not fit, once, in order
  bool fits() const { return unfit.empty(); }
};

// A lone surrogate counts as a character that does not fit (its own value).
GbkFit Utf16ToGbk(std::u16string_view text);

// "U+1F600 U+20BB7": how a notice names characters that GBK cannot show.
std::string DescribeCharacters(const std::vector<char32_t>& characters);

}  // namespace tv
