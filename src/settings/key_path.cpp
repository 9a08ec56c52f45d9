#include "settings/key_path.h"

#include "core/gbk.h"

namespace tv {

std::string_view TrimKeyPath(std::string_view key) {
  // Walk forward: a 0x5C byte may also be the second half of a GBK character,
  // and only a real backslash is trimmed.
  std::size_t end = 0;
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(key[i])) && i + 1 < key.size()) {
      ++i;
      end = i + 1;
    } else if (key[i] != '\\') {
      end = i + 1;
    }
  }
  return key.substr(0, end);
}

std::vector<std::string_view> KeyPathAncestors(std::string_view key) {
  std::vector<std::string_view> ancestors;
  key = TrimKeyPath(key);
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(key[i]))) {
      ++i;
    } else if (key[i] == '\\' && i > 0) {
      ancestors.push_back(TrimKeyPath(key.substr(0, i)));
    }
  }
  return ancestors;
}

std::string FoldSettingName(std::string_view text) { return GbkAsciiLower(text); }

}  // namespace tv
