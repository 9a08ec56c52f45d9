#pragma once
// The font faces members choose from, by the names they are stored under,
// and the installed faces that stand in for them. The stored names are the
// usual Chinese system faces; none of them exists on a Linux desktop, so each
// maps to installed CJK faces of the same style (song, hei, kai ...), first
// choice first. Plain data: the font list of the preferences, the preview and
// the grids' fonts all read this one table.
#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

struct FaceChoice {
  std::string_view name_utf8;                // as listed and stored
  std::array<std::string_view, 3> families;  // installed stand-ins, best first; "" ends
};

// The eight faces in the order the font list shows them.
std::span<const FaceChoice> FaceChoices();
// The index in FaceChoices() of the first face named exactly `gbk_face`; -1
// when none is.
int FaceChoiceIndex(std::string_view gbk_face);
// The family names (UTF-8) to ask the font system for, best first: the
// stand-ins of a listed face, otherwise the stored name itself (a face the
// member's store names that is not in the list may still be installed).
std::vector<std::string> FamiliesForFace(std::string_view gbk_face);

}  // namespace tv
