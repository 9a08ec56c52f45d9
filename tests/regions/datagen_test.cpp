// The build-time generator must stop the build on a bad data row rather than ship
// a table with '?' in a name or a row split in the wrong place.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class RegionDatagenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("regions_datagen_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    Write("provinces.txt", "# name, publish, browse\n北京市\t1\t2\n海南省\t2\t1\n");
    Write("county_directory.txt", "北京市\t北京\n北京\t市区\n");
    Write("prefecture_directory.txt", "北京市\t北京\n");
    Write("area_codes.txt", "北京市\t010\n");
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }

  int Run() {
    const std::string command = std::string(REGION_DATAGEN) + " '" + dir_.string() + "' '" +
                                (dir_ / "out.cpp").string() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Output() {
    std::ifstream in(dir_ / "out.cpp", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path dir_;
};

TEST_F(RegionDatagenTest, WritesEveryByteEscaped) {
  Write("county_directory.txt", "北京市\t北京\n北京\t 路氹城 \n");
  ASSERT_EQ(Run(), 0);
  const std::string out = Output();
  // " 路氹城 " in GBK, blanks included.
  EXPECT_NE(out.find(R"("\x20\xC2\xB7\x9A\xEB\xB3\xC7\x20"sv)"), std::string::npos);
  // The browse order puts 海南省 (BA A3 C4 CF CA A1) first.
  EXPECT_LT(out.find(R"("\xBA\xA3\xC4\xCF\xCA\xA1"sv)", out.find("kBrowseOrder")),
            out.find(R"("\xB1\xB1\xBE\xA9\xCA\xD0"sv)", out.find("kBrowseOrder")));
}

TEST_F(RegionDatagenTest, RejectsBadRows) {
  const struct {
    const char* file;
    const char* text;
  } kCases[] = {
      {"county_directory.txt", "北京市\t北京\t多余\n"},   // three fields
      {"county_directory.txt", "北京市 北京\n"},          // blank instead of TAB
      {"county_directory.txt", "北京市\t\n"},             // empty child
      {"area_codes.txt", "\xF0\x9F\x98\x80\t010\n"},      // not a GBK character
      {"area_codes.txt", "北京市\t010\xFF\n"},            // not UTF-8
      {"provinces.txt", "北京市\t1\t1\n海南省\t1\t2\n"},  // two provinces in one place
      {"provinces.txt", "北京市\t1\t3\n海南省\t2\t1\n"},  // position past the end
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    SetUp();
    Write(c.file, c.text);
    EXPECT_EQ(Run(), 1);
  }
}

}  // namespace
