#pragma once
// How key paths and value names compare: the registry ignores the case of ASCII
// letters and a trailing backslash, so "Software\X\" and "software\x" are one key.
#include <string>
#include <string_view>
#include <vector>

namespace tv {

// The path without trailing backslashes (the spelling that is kept).
std::string_view TrimKeyPath(std::string_view key);

// The keys above `key`, shortest first ("A\B\C" gives "A" and "A\B").
std::vector<std::string_view> KeyPathAncestors(std::string_view key);

// The form two spellings are compared in: ASCII letters lowered. The second byte
// of a GBK double-byte character may fall in the letter range (0x41-0x5A); it is
// part of a Chinese character, not a letter, and stays as it is.
std::string FoldSettingName(std::string_view text);

// FoldSettingName of the trimmed path.
inline std::string FoldKeyPath(std::string_view key) { return FoldSettingName(TrimKeyPath(key)); }

// A C string ends at its first zero byte; names and texts are C strings.
inline std::string_view CutAtZero(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace tv
