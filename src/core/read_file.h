#pragma once
// A whole file into memory, refused when it is larger than the caller can
// have use for (a size taken from the file is never trusted unbounded).
#include <cstdint>
#include <string>

namespace tv {

// False when the file cannot be read or holds more than `limit` bytes.
bool ReadFileCapped(const std::string& path, std::int64_t limit, std::string* bytes);

}  // namespace tv
