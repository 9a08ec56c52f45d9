#include "core/read_file.h"

#include <fstream>

namespace tv {

bool ReadFileCapped(const std::string& path, std::int64_t limit, std::string* bytes) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size < 0 || size > limit) return false;
  in.seekg(0);
  bytes->assign(static_cast<std::size_t>(size), '\0');
  return static_cast<bool>(in.read(bytes->data(), size));
}

}  // namespace tv
