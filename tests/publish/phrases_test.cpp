// The keypad and the phrase menus insert exactly the texts members know, in
// their order; the generator refuses data that would ship wrong texts.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "publish/phrases.h"
#include "publish_test_util.h"

namespace tv {
namespace {

using test::G;
using test::U;

// The items of a menu in menu order, submenus flattened.
std::vector<std::string> Items(const publish_data::PhraseMenu& menu) {
  std::vector<std::string> items;
  for (const auto& entry : menu.entries) {
    if (entry.submenu.empty()) items.push_back(U(entry.text));
    for (std::string_view sub : entry.submenu) items.push_back(U(sub));
  }
  return items;
}

TEST(PhraseMenus, EveryMenuHasItsItemsInOrder) {
  struct Case {
    const char* button;
    const char* title;
    std::size_t count;
    const char* first;
    const char* last;
  } cases[] = {
      {"[常用字]", "常用字", 23, "不", "各"},
      {"[常用词]", "常用词", 30, "早上", "地方"},
      {"[货物1]", "货物1", 5, "整车", "普货"},
      {"[货物2]", "货物2", 29, "设备", "伸缩缝"},
      {"[货物3]", "货物3", 40, "煤碳", "钢管"},
      {"[车型]", "车型", 22, "挂车", "小货车"},
      {"[车长]", "车长", 22, "4米", "17.5米"},
      {"[运费]", "运费", 5, "高价", "全价"},
      {"[常用短语]", "常用短语", 21, "随车装", "已成交"},
      {"[单位]", "单位", 9, "台", "公里"},
      {"[其它]", "其它", 19, "长", "北"},
      {"[地方特色一]", "地方特色关键字", 27, "麦草", "牛皮"},
      {"[地方特色二]", "地方特色二", 47, "整车", "花树"},
  };
  ASSERT_EQ(publish_data::PhraseMenus().size(), std::size(cases));
  std::size_t total = 0;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const auto& menu = publish_data::PhraseMenus()[i];
    ASSERT_EQ(&menu, FindPhraseMenu(G(c.button))) << c.button;
    EXPECT_EQ(U(menu.title), c.title);
    const std::vector<std::string> items = Items(menu);
    ASSERT_EQ(items.size(), c.count) << c.button;
    EXPECT_EQ(CountMenuItems(menu), c.count);
    EXPECT_EQ(items.front(), c.first) << c.button;
    EXPECT_EQ(items.back(), c.last) << c.button;
    total += items.size();
  }
  EXPECT_EQ(total, 299u);
  EXPECT_EQ(FindPhraseMenu(G("[无]")), nullptr);
}

TEST(PhraseMenus, SubmenusAndPhrasesWithBlanks) {
  const auto* words = FindPhraseMenu(G("[常用词]"));
  ASSERT_NE(words, nullptr);
  EXPECT_EQ(U(words->entries[0].text), "时间");
  ASSERT_EQ(words->entries[0].submenu.size(), 7u);
  EXPECT_EQ(U(words->entries[0].submenu[5]), "明天");
  EXPECT_EQ(U(words->entries[1].text), "包装");
  EXPECT_TRUE(words->entries[2].submenu.empty());

  const auto* goods = FindPhraseMenu(G("[货物3]"));
  ASSERT_NE(goods, nullptr);
  std::vector<std::string> titles;
  for (const auto& entry : goods->entries) titles.push_back(U(entry.text));
  EXPECT_EQ(titles, (std::vector<std::string>{"其它", "蔬菜", "水果", "钢管"}));

  const std::vector<std::string> phrases = Items(*FindPhraseMenu(G("[常用短语]")));
  EXPECT_EQ(phrases[12], "今天定车 明天装车");  // one ASCII blank
}

TEST(Keypad, KeysInsertTheirTextsAndButtonsStandInTheirRows) {
  std::string row1, row2, row3;
  for (const auto& entry : publish_data::Keypad()) {
    std::string& row = entry.row == 1 ? row1 : entry.row == 2 ? row2 : row3;
    if (entry.kind == publish_data::KeypadEntry::kKey)
      row += "<" + U(entry.caption) + ":" + U(entry.text) + ">";
    else
      row += U(entry.caption);
  }
  EXPECT_EQ(row1,
            "<0:0><1:1><2:2><3:3><4:4><5:5><6:6><7:7><8:8><9:9><－:-><，:，><。:。><：:：>"
            "<；:；><.:.><、:、></:/><>:>>< :　>");
  EXPECT_EQ(row2,
            "<急:急><需:需><用:用><求:求><有:有><发:发><到:到><回:回><车:车><货:货>"
            "[常用字][常用词]<米:米><吨:吨><元:元>[单位][其它]");
  EXPECT_EQ(row3, "[货物1][货物2][货物3][车型][车长][运费][地方特色一][地方特色二][常用短语]");
}

TEST(QuickLists, PickListsOfTheQuickForm) {
  struct Case {
    const char* name;
    std::size_t count;
    const char* first;
    const char* last;
  } cases[] = {
      {"goods", 53, "整车", "压缩麦草"},    {"units", 17, "吨", "立方米"},
      {"truck_types", 30, "1吨", "集装箱"}, {"freight", 3, "高价急走", "运费面议"},
      {"trips", 2, "回程", "本地"},
  };
  for (const Case& c : cases) {
    const auto list = QuickList(c.name);
    ASSERT_EQ(list.size(), c.count) << c.name;
    EXPECT_EQ(U(list.front()), c.first) << c.name;
    EXPECT_EQ(U(list.back()), c.last) << c.name;
  }
  EXPECT_TRUE(QuickList("nothing").empty());
}

TEST(PublishDatagen, BadDataStopsTheBuild) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("publish_datagen_" + std::to_string(getpid()));
  struct Case {
    const char* what;
    const char* keypad;
    int exit_code;
  } cases[] = {
      {"good", "row\t1\nkey\t0\nbutton\t[A]\nmenu\t[A]\tA\nsub\tS\nitem\tx\nend\nitem\ty\n", 0},
      {"button without a menu", "row\t1\nbutton\t[A]\n", 1},
      {"menu without a button", "row\t1\nkey\t0\nmenu\t[A]\tA\nitem\tx\n", 1},
      {"text GBK cannot hold", "row\t1\nkey\t\xF0\x9F\x9A\x9A\n", 1},
      {"submenu left open", "row\t1\nbutton\t[A]\nmenu\t[A]\tA\nsub\tS\nitem\tx\n", 1},
  };
  for (const Case& c : cases) {
    fs::create_directories(dir);
    std::ofstream(dir / "keypad.txt", std::ios::binary) << c.keypad;
    std::ofstream(dir / "quick_lists.txt", std::ios::binary) << "list\tgoods\nitem\tx\n";
    const std::string command = std::string(PUBLISH_DATAGEN) + " '" + dir.string() + "' '" +
                                (dir / "out.cpp").string() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.exit_code) << c.what;
    fs::remove_all(dir);
  }
}

}  // namespace
}  // namespace tv
