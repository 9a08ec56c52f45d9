#include "grid/face_table.h"

#include "core/gbk.h"

namespace tv {
namespace {

// Debian ships no clerical (li), running-script (xingkai), rounded (youyuan)
// or fangsong face with simplified characters; the nearest styles stand in:
// the brush-written kai for li and xingkai, the softer Zen Hei for youyuan,
// the light Sungti for fangsong.
constexpr std::array<FaceChoice, 8> kFaces = {{
    {"宋体", {"Noto Serif CJK SC", "AR PL UMing CN", ""}},
    {"黑体", {"Noto Sans CJK SC", "WenQuanYi Zen Hei", ""}},
    {"隶书", {"AR PL UKai CN", "AR PL KaitiM GB", "Noto Serif CJK SC"}},
    {"幼圆", {"WenQuanYi Zen Hei", "Noto Sans CJK SC", ""}},
    {"新宋体", {"AR PL UMing CN", "Noto Serif CJK SC", ""}},
    {"行楷体", {"AR PL UKai CN", "AR PL KaitiM GB", "Noto Serif CJK SC"}},
    {"仿宋_GB2312", {"AR PL SungtiL GB", "AR PL UMing CN", "Noto Serif CJK SC"}},
    {"楷体_GB2312", {"AR PL KaitiM GB", "AR PL UKai CN", "Noto Serif CJK SC"}},
}};

}  // namespace

std::span<const FaceChoice> FaceChoices() { return kFaces; }

int FaceChoiceIndex(std::string_view gbk_face) {
  static const std::array<std::string, kFaces.size()> kGbkNames = [] {
    std::array<std::string, kFaces.size()> names;
    for (std::size_t i = 0; i < kFaces.size(); ++i) names[i] = Utf8ToGbk(kFaces[i].name_utf8);
    return names;
  }();
  for (std::size_t i = 0; i < kGbkNames.size(); ++i) {
    if (kGbkNames[i] == gbk_face) return static_cast<int>(i);
  }
  return -1;
}

std::vector<std::string> FamiliesForFace(std::string_view gbk_face) {
  std::vector<std::string> out;
  const int index = FaceChoiceIndex(gbk_face);
  if (index < 0) {
    if (!gbk_face.empty()) out.push_back(GbkToUtf8(gbk_face));
    return out;
  }
  for (std::string_view family : kFaces[static_cast<std::size_t>(index)].families) {
    if (!family.empty()) out.emplace_back(family);
  }
  return out;
}

}  // namespace tv
