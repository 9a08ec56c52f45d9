// The listed font faces really change the face on this system: each resolves
// to one of its installed stand-ins, and the styles stay apart.
#include "grid/face_table.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <set>

#include "core/gbk.h"
#include "widgets/qt_text_measure.h"

namespace tv {
namespace {

QString ResolvedFamily(std::string_view utf8_face) {
  CellFont font;
  font.face = Utf8ToGbk(utf8_face);
  font.height = 20;
  return QFontInfo(ToQFont(font)).family();
}

TEST(FaceTable, EveryListedFaceDrawsWithOneOfItsStandIns) {
  std::set<QString> drawn;
  for (const FaceChoice& choice : FaceChoices()) {
    const QString family = ResolvedFamily(choice.name_utf8);
    bool own = false;
    for (std::string_view stand_in : choice.families) {
      own = own ||
            (!stand_in.empty() && family == QString::fromUtf8(stand_in.data(), stand_in.size()));
    }
    EXPECT_TRUE(own) << choice.name_utf8 << " drawn with " << family.toStdString()
                     << " (is its font package installed? scripts/setup.sh)";
    drawn.insert(family);
  }
  // Song, hei, kai, the light song and the second kai are all distinct faces.
  EXPECT_GE(drawn.size(), 6u);
}

TEST(FaceTable, FacesOutsideTheListAreTakenByName) {
  EXPECT_EQ(ResolvedFamily("WenQuanYi Zen Hei"), "WenQuanYi Zen Hei");
  // Unknown here: the program's Chinese fall-back, never a Latin-only face.
  EXPECT_EQ(ResolvedFamily("微软雅黑"), FallbackChineseFace());
  EXPECT_EQ(FaceChoiceIndex(Utf8ToGbk("新宋体")), 4);
  EXPECT_EQ(FaceChoiceIndex(Utf8ToGbk("新宋体 ")), -1);
}

}  // namespace
}  // namespace tv
