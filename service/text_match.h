#pragma once
// Text tests of the service's views, made character by character in GBK so a
// trail byte never starts a match (the bytes of "京" never match inside
// another character's bytes).
#include <string>
#include <string_view>
#include <vector>

namespace tv {

// True when `needle` occurs in `text` starting on a character boundary.
bool ContainsGbk(std::string_view text, std::string_view needle);
// True when any of the ","-separated names of `list` occurs in `text`.
bool ContainsAnyGbk(std::string_view text, std::string_view list);
// Splits at ",", dropping empty pieces.
std::vector<std::string> SplitList(std::string_view list);
std::string JoinList(const std::vector<std::string>& names);

// The text the service stores for a member's text: "@" and "|" (which would
// break the record grammar) become their full-width forms, blanks at both ends
// go, and the text is cut at `max_bytes` on a character boundary.
std::string StoredText(std::string_view text, std::size_t max_bytes);

}  // namespace tv
