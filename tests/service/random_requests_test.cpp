// Odd requests straight into the page handler (no HTTP): targets built from
// the real pages, actions and keys with random values, escapes and bytes.
// Every one gets a well-formed answer, and no message or log is written.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <random>

#include "demo_data.h"
#include "net/transport.h"
#include "service_pages.h"

namespace tv {
namespace {

TEST(serviceRandomRequests, EveryTargetGetsAWellFormedAnswerAndChangesNothing) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("tv-random-requests-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::string error;
  auto store = ServiceStore::Open((dir / "r.db").string(), &error);
  ASSERT_TRUE(store) << error;
  ASSERT_TRUE(FillDemoData(*store, 100, 7, &error)) << error;
  ServiceOptions options;
  ServicePages pages(*store, options, "127.0.0.1:80");
  const std::uint64_t version = store->version();

  const char* paths[] = {"GetInfo.asp",
                         "GetSearchInfo.asp",
                         "GetInfoByID.asp",
                         "GetDelInfo.asp",
                         "GetSuccessInfo.asp",
                         "GetTNums.asp",
                         "GetNewString.asp",
                         "GetFrindInfo.asp",
                         "client_login.asp",
                         "checkhost.htm",
                         "getus.htm",
                         "adv/adv01.asp",
                         "../manager/myinfos.asp",
                         "Nope.asp"};
  const char* actions[] = {"GetTopDatas",  "GetCurDatas",     "GetNewDatas",  "GetInfoID",
                           "GetMaxID",     "GetNewDelInfoID", "getnum",       "GetNew",
                           "GetFrindInfo", "DelFrindInfo",    "Login_Client", "x"};
  const char* keys[] = {"Code",     "KeyWords", "inType", "maxid",     "StartNum",
                        "TotalNum", "Msg_Flag", "UserID", "oldString", "username",
                        "password", "city",     "userid"};
  const std::string values[] = {"",
                                "0",
                                "-1",
                                "8",
                                "10001",
                                "99999999999999999999",
                                "abc",
                                "%D6%A3%D6%DD",
                                "%D6",
                                "%ZZ",
                                "%00",
                                "%FF%FF",
                                "+",
                                "%40%40%7C%7C",
                                "1e5",
                                "%",
                                "%B1%B1%BE%A9%2C%C9%CF%BA%A3"};
  std::mt19937 rng(20121210);
  auto pick = [&rng](auto& list) -> const auto& {
    return list[rng() % (sizeof(list) / sizeof(list[0]))];
  };
  for (int i = 0; i < 3000; ++i) {
    std::string target = std::string("/qavel/client/") + pick(paths) + "?action=" + pick(actions);
    const int n = static_cast<int>(rng() % 5);
    for (int k = 0; k < n; ++k) target += std::string("&") + pick(keys) + "=" + pick(values);
    if (rng() % 10 == 0) target.insert(rng() % target.size(), 1, static_cast<char>(rng() % 256));
    SCOPED_TRACE(target);
    const Answer a = pages.Handle(rng() % 2 ? "GET" : "POST", target, "");
    ASSERT_TRUE(a.status == 200 || a.status == 400 || a.status == 404) << a.status;
    if (a.status == 200 && std::string_view(a.content_type) == "text/plain") {
      // Base64 answers use the alphabet only (plain ones are short ASCII words).
      for (char c : a.body) {
        ASSERT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' ||
                    c == '=' || c == '@' || c == '.' || c == ':')
            << a.body;
      }
    }
  }
  EXPECT_EQ(store->version(), version);  // no message or log written
  store.reset();
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tv
