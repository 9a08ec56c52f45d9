// tarvolo-cli subscriptions: the member's list kept on the window's store,
// and every bad input refused with exit 2 before anything is stored.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_process.h"

namespace tv {
namespace {

using test::CliResult;
using test::RunCli;

class CliSubscriptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("tv-cli-subs-") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  CliResult Run(std::vector<std::string> args) const {
    args.insert(args.begin(), "subscriptions");
    return RunCli(args, {"TARVOLO_SETTINGS=" + (dir_ / "settings.db").string()});
  }
  std::filesystem::path dir_;
};

TEST_F(CliSubscriptionsTest, AddsListsPausesResumesAndRemoves) {
  CliResult r = Run({"add", "--from", "济宁", "--to", "北京", "--type", "货源", "--exclude",
                     "危险品,化工", "--speech"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string first = r.out.substr(0, r.out.find('\n'));
  r = Run({"add", "--name", "回家", "--from", "北京", "--to", "山东省", "--must", "平板",
           "--no-chime"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  ASSERT_EQ(Run({"pause", "回家"}).exit_code, 0);

  r = Run({"list"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, first + "\t运行中\t济宁→北京 货源\t济宁\t北京\t货源\t\t危险品,化工\t0\n" +
                       std::to_string(std::stoi(first) + 1) +
                       "\t已暂停\t回家\t北京\t山东省\t全部\t平板\t\t0\n");
  r = Run({"list", "--json"});
  EXPECT_NE(
      r.out.find("{\"id\":\"" + first +
                 "\",\"name\":\"济宁→北京 货源\",\"paused\":\"0\",\"from\":\"济宁\","
                 "\"to\":\"北京\",\"type\":\"货源\",\"must\":\"\",\"exclude\":\"危险品,"
                 "化工\",\"chime\":\"1\",\"notify\":\"1\",\"speech\":\"1\",\"unread\":\"0\"}"),
      std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\"chime\":\"0\""), std::string::npos) << r.out;

  ASSERT_EQ(Run({"resume", "回家"}).exit_code, 0);
  ASSERT_EQ(Run({"remove", first}).exit_code, 0);
  r = Run({"list"});
  EXPECT_EQ(r.out.find("济宁→北京"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\t运行中\t回家\t"), std::string::npos) << r.out;
}

TEST_F(CliSubscriptionsTest, BadInputExits2WithAMessageAndStoresNothing) {
  for (int i = 0; i < 10; ++i) ASSERT_EQ(Run({"add", "--to", "北京"}).exit_code, 0);
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const std::vector<Case> cases = {
      {{"add", "--from", "济宁", "--to", "北京"}, "最多只能订阅 10 条路线"},
      {{}, "list, add, remove, pause or resume"},
      {{"watch"}, "unknown subcommand"},
      {{"add", "--type", "船"}, "--type is 货源, 车源 or 全部"},
      {{"add", "--chime", "--no-chime", "--to", "北京"}, "--chime and --no-chime together"},
      {{"add", "济宁"}, "add takes options only"},
      {{"list", "extra"}, "list takes no operand"},
      {{"pause", "无此订阅"}, "no such subscription"},
      {{"remove"}, "remove takes one ID or NAME"},
  };
  for (const Case& c : cases) {
    const CliResult r = Run(c.args);
    EXPECT_EQ(r.exit_code, 2) << ::testing::PrintToString(c.args);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  // With room again, the route itself is checked.
  ASSERT_EQ(Run({"remove", "1"}).exit_code, 0);
  const std::vector<Case> refused = {
      {{"add"}, "请选择出发地或目的地"},
      {{"add", "--from", "火星"}, "不在地区列表中"},
      {{"add", "--to", "北京", "--must", "钢材😀"}, "GBK 不能表示"},
      {{"add", "--to", "北京", "--name", "回家😀"}, "订阅名称中有无法发送的字符"},
  };
  for (const Case& c : refused) {
    const CliResult r = Run(c.args);
    EXPECT_EQ(r.exit_code, 2) << ::testing::PrintToString(c.args);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  const CliResult list = Run({"list"});
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 9) << list.out;
}

}  // namespace
}  // namespace tv
