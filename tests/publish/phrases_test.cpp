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

// Every item of every menu, in menu order (submenus flattened): one wrong,
// missing or moved phrase is a wrong word in members' messages.
TEST(PhraseMenus, EveryMenuHasItsItemsInOrder) {
  struct Case {
    const char* button;
    const char* title;
    std::vector<std::string> items;
  } cases[] = {
      {"[常用字]", "常用字", {"不", "占", "用", "空", "可", "以", "上", "走",
                              "剩", "或", "是", "跟", "来", "拉", "装", "的",
                              "每", "带", "也", "等", "和", "部", "各"}},
      {"[常用词]", "常用词", {"早上", "上午", "中午", "下午", "晚上", "明天", "每天", "袋装",
                              "箱装", "桶装", "货源", "货主", "配货", "短途", "长途", "本地",
                              "本站", "长期", "回程", "专线", "定车", "以上", "以下", "以内",
                              "左右", "方向", "附近", "最好", "吨位", "地方"}},
      {"[货物1]", "货物1", {"整车", "零担", "重货", "泡货", "普货"}},
      {"[货物2]", "货物2", {"设备", "矿产",   "钢材",   "建材",     "木材",         "粮食",
                            "食品", "饮料",   "水果",   "蔬菜",     "蔬菜自带棉被", "电器",
                            "化工", "化肥",   "农药",   "轻工产品", "医药",         "石油及制品",
                            "牲畜", "牧产品", "渔产品", "危险品",   "仪器",         "家具",
                            "配件", "原料",   "橡胶",   "支座",     "伸缩缝"}},
      {"[货物3]", "货物3", {"煤碳",   "铁粉",   "硅铁", "电石", "木板", "板方",   "玻璃", "烟花",
                            "树苗",   "蜜蜂",   "油漆", "卷纸", "板纸", "毛发",   "饲料", "面粉",
                            "自行车", "收割机", "萝卜", "白菜", "大蒜", "蒜台",   "元葱", "土豆",
                            "山药",   "牛蒡",   "豆角", "青椒", "大葱", "梨",     "桃",   "苹果",
                            "香蕉",   "桔子",   "甘蔗", "菠萝", "西瓜", "哈密瓜", "柿子", "钢管"}},
      {"[车型]", "车型", {"挂车",   "半挂",       "单桥",     "双桥",     "高栏",   "五轮车",
                          "后八轮", "前四后八轮", "二托三车", "罐车",     "平板车", "保温车",
                          "冷藏车", "自卸车",     "封闭车",   "半封闭车", "棉被车", "集装箱车",
                          "斯太尔", "大蓬车",     "大货车",   "小货车"}},
      {"[车长]", "车长", {"4米",   "4.2米", "4.5米", "4.8米",  "5米",   "5.8米", "6米", "6.2米",
                          "6.8米", "7米",   "7.2米", "7.4米",  "7.6米", "7.8米", "8米", "8.7米",
                          "8.8米", "9米",   "9.6米", "12.5米", "13米",  "17.5米"}},
      {"[运费]", "运费", {"高价", "高价急走", "价格面议", "运价好商量", "全价"}},
      {"[常用短语]",
       "常用短语",
       {"随车装",
        "车已定好",
        "马上装车",
        "不占地方",
        "请打手机",
        "更正信息",
        "在一个厂装",
        "货在本站",
        "货主在本站等",
        "货主跟车",
        "货主管饭",
        "两货可一起走",
        "今天定车 明天装车",
        "晚上也可以装",
        "求多部后八轮或半挂",
        "求大小车",
        "货已定 请勿打扰",
        "装车付一半路费 货到付清",
        "货到就卸 不压车",
        "三不超",
        "已成交"}},
      {"[单位]", "单位", {"台", "部", "方", "件", "张", "箱", "立方", "公斤", "公里"}},
      {"[其它]",
       "其它",
       {"长", "宽", "高", "前", "后", "左", "右", "上", "下", "大", "小", "多", "少", "单", "双",
        "东", "西", "南", "北"}},
      {"[地方特色一]",
       "地方特色关键字",
       {"麦草",   "辣椒",       "辆",         "市内装",   "顺路装", "市郊装", "花生果",
        "花生米", "双排座",     "位",         "香菇",     "树叶",   "红薯",   "小麦",
        "药材",   "垫款",       "不垫款",     "可配车",   "最大",   "量大",   "拖板",
        "均",     "有货请联系", "有车请联系", "吨位不限", "石材",   "牛皮"}},
      {"[地方特色二]",
       "地方特色二",
       {"整车",     "零担",   "重货",       "抛货",     "设备",     "配件", "珍珠沙", "珍珠岩粉",
        "保温板",   "助滤剂", "闭孔珍珠岩", "珠光沙",   "白土",     "树苗", "茶籽",   "板栗",
        "钢材",     "木材",   "花生米",     "花生果",   "大米",     "食品", "药材",   "饮料",
        "水果",     "家具",   "石粉",       "袋装重货", "散装整货", "电器", "钢铁",   "化肥",
        "化工产品", "建材",   "矿产",       "粮食",     "煤炭",     "普货", "牲畜",   "蔬菜",
        "铁粉",     "危险品", "烟花",       "医药",     "自带棉被", "米糠", "花树"}},
  };
  ASSERT_EQ(publish_data::PhraseMenus().size(), std::size(cases));
  std::size_t total = 0;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.button);
    const auto& menu = publish_data::PhraseMenus()[i];
    ASSERT_EQ(&menu, FindPhraseMenu(G(c.button)));
    EXPECT_EQ(U(menu.title), c.title);
    EXPECT_EQ(Items(menu), c.items);
    EXPECT_EQ(CountMenuItems(menu), c.items.size());
    total += c.items.size();
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
