#pragma once
// The encoding of every value that goes into a request path: nothing the
// member or the server typed reaches a path raw.
#include <string>
#include <string_view>

namespace tv {

// Percent-encoding of one query value: letters and digits kept, white space as
// "+", every other byte "%XX" (upper-case hex). Empty stays empty.
std::string EncodeQueryValue(std::string_view gbk);

}  // namespace tv
