// The history of accepted messages: the counter that names its values, the
// bookkeeping after "AddOK", and the list the history dialog shows.
#include <gtest/gtest.h>

#include <optional>

#include "publish/history.h"
#include "publish_test_util.h"
#include "settings/store.h"
#include "settings/values.h"
#include "tests/settings/temp_store.h"

namespace tv {
namespace {

using test::G;
using test::U;

std::vector<SettingValue> Named(std::initializer_list<const char*> names) {
  std::vector<SettingValue> values;
  for (const char* name : names) values.push_back({name, "t"});
  return values;
}

TEST(HistoryNumber, GrowsPastTheCounterAndEveryUsedName) {
  struct Case {
    std::string counter;
    std::vector<SettingValue> history;
    std::optional<std::int32_t> next;
  } cases[] = {
      {"16", {}, 17},
      {"0", {}, 1},
      {"16", Named({"3", "9"}), 17},
      // A damaged counter would reuse a name: the used names decide.
      {"abc", Named({"1", "2", "3"}), 4},
      {"-5", {}, 1},
      {"3", Named({"1", "7", "x12", ""}), 8},
      // At the 32-bit limit the history stops growing instead of wrapping.
      {"2147483646", {}, 2147483647},
      {"2147483647", {}, std::nullopt},
      {"99999999999999999999", {}, std::nullopt},
      {"5", Named({"2147483647"}), std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NextHistoryNumber(c.counter, c.history), c.next) << c.counter;
}

class HistoryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { UseSettingsStore(SettingsStore::Open(dir_.File("settings.db"))); }
  void TearDown() override { UseSettingsStore(nullptr); }

  static void Put(const char* name, const std::string& text) {
    ASSERT_TRUE(CreateSettingKey(kHistoryKey));
    ASSERT_TRUE(WriteSetting(kHistoryKey, name, text));
  }
  // "name=text" of every history value, in store order.
  static std::vector<std::string> Values() {
    std::vector<std::string> out;
    for (const SettingValue& v : EnumerateSettings(kHistoryKey))
      out.push_back(v.name + "=" + U(v.text));
    return out;
  }
  static std::string Counter() { return ReadSetting(kMainKey, kHistoryCount); }

  test::TempDir dir_;
};

TEST_F(HistoryStoreTest, AcceptedMessageGoesUnderTheNextNumber) {
  ASSERT_TRUE(WriteSetting(kMainKey, kHistoryCount, "16"));
  RecordPublishedHistory(G("货源：A"), "");
  EXPECT_EQ(Counter(), "17");
  EXPECT_EQ(Values(), (std::vector<std::string>{"17=货源：A"}));
}

TEST_F(HistoryStoreTest, CounterStartsAtZeroWhenAbsent) {
  ASSERT_EQ(Counter(), "Error");
  RecordPublishedHistory(G("货源：A"), "");
  EXPECT_EQ(Counter(), "1");
  EXPECT_EQ(Values(), (std::vector<std::string>{"1=货源：A"}));
}

TEST_F(HistoryStoreTest, TextTakenFromHistoryMovesToTheNewestPlace) {
  ASSERT_TRUE(WriteSetting(kMainKey, kHistoryCount, "3"));
  Put("1", G("货源：A"));
  Put("2", G("货源：B"));
  Put("3", G("货源：A"));
  RecordPublishedHistory(G("货源：A"), G("货源：A"));
  EXPECT_EQ(Values(), (std::vector<std::string>{"2=货源：B", "4=货源：A"}));
  EXPECT_EQ(Counter(), "4");

  // Taken and then changed: the old entry stays.
  RecordPublishedHistory(G("货源：B2"), G("货源：B"));
  EXPECT_EQ(Values(), (std::vector<std::string>{"2=货源：B", "4=货源：A", "5=货源：B2"}));
}

TEST_F(HistoryStoreTest, DamagedCounterNeverOverwritesAnEntry) {
  ASSERT_TRUE(WriteSetting(kMainKey, kHistoryCount, "abc"));
  Put("1", G("货源：A"));
  Put("2", G("货源：B"));
  RecordPublishedHistory(G("货源：C"), "");
  EXPECT_EQ(Values(), (std::vector<std::string>{"1=货源：A", "2=货源：B", "3=货源：C"}));
  EXPECT_EQ(Counter(), "3");

  ASSERT_TRUE(WriteSetting(kMainKey, kHistoryCount, "2147483647"));
  RecordPublishedHistory(G("货源：D"), "");
  EXPECT_EQ(Counter(), "2147483647");
  EXPECT_EQ(Values().size(), 3u);
}

TEST_F(HistoryStoreTest, DialogListsEachReadableTextOnceNewestFirst) {
  Put("1", G("货源：A"));
  Put("2", G("车源：B"));
  Put("3", G("货源：A"));
  Put("4", "Error");
  Put("5", G("货源：") + std::string(495, 'x'));  // longer than a read holds
  Put("6", G("货源：C"));
  EXPECT_EQ(StageHistory(EnumerateSettings(kHistoryKey)),
            (std::vector<std::string>{G("货源：A"), G("车源：B"), G("货源：C")}));
  EXPECT_EQ(LoadHistoryNewestFirst(),
            (std::vector<std::string>{G("货源：C"), G("车源：B"), G("货源：A")}));
}

TEST_F(HistoryStoreTest, DeleteTakesEveryCopyAndClearKeepsTheCounter) {
  ASSERT_TRUE(WriteSetting(kMainKey, kHistoryCount, "3"));
  Put("1", G("货源：A"));
  Put("2", G("车源：B"));
  Put("3", G("货源：A"));
  EXPECT_EQ(DeleteHistoryText(G("货源：A")), 2);
  EXPECT_EQ(Values(), (std::vector<std::string>{"2=车源：B"}));

  EXPECT_TRUE(ClearHistory());
  EXPECT_TRUE(LoadHistoryNewestFirst().empty());
  EXPECT_EQ(Counter(), "3");
  RecordPublishedHistory(G("货源：D"), "");
  EXPECT_EQ(Values(), (std::vector<std::string>{"4=货源：D"}));
}

}  // namespace
}  // namespace tv
