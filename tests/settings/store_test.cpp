// Registry semantics of the store: names, order, sizes, keys, location.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>

#include "settings/store.h"
#include "temp_store.h"

namespace tv {
namespace {

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override { store_ = SettingsStore::Open(path_); }

  std::vector<std::string> Names(std::string_view key) {
    std::vector<std::string> names;
    for (const SettingValue& value : store_->Enumerate(key)) names.push_back(value.name);
    return names;
  }

  test::TempDir dir_;
  std::string path_ = dir_.File("config/tarvolo/settings.db");
  std::unique_ptr<SettingsStore> store_;
};

TEST_F(StoreTest, FirstOpenMakesAPrivateFileWithTheMainAndRunKeys) {
  struct stat info {};
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_TRUE(store_->KeyExists(kMainKey));
  EXPECT_TRUE(store_->KeyExists(kRunKey));
  EXPECT_TRUE(store_->Enumerate(kRunKey).empty());
  EXPECT_TRUE(store_->Write(kMainKey, "PName", "tarvolo"));

  store_.reset();
  store_ = SettingsStore::Open(path_);
  EXPECT_EQ(store_->Read(kMainKey, "PName"), "tarvolo");
  EXPECT_TRUE(store_->MovedAsidePath().empty());
}

TEST_F(StoreTest, KeysAndNamesIgnoreAsciiCaseAndTrailingBackslash) {
  ASSERT_TRUE(store_->Write(kMainKey, "FontSizetavrelomin", "20"));
  for (std::string_view key : {"software\\microsoft\\windows\\currentversion",
                               "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\",
                               "Software\\Microsoft\\Windows\\CurrentVersion\\\\"}) {
    for (std::string_view name :
         {"FontSizetavrelomin", "fontsizetavrelomin", "FONTSIZETAVRELOMIN"}) {
      EXPECT_EQ(store_->Read(key, name), "20") << key << " " << name;
    }
  }
  // A rewrite under another spelling replaces the text and keeps the first spelling.
  ASSERT_TRUE(
      store_->Write("software\\MICROSOFT\\windows\\currentversion", "FONTSIZEtavrelomin", "24"));
  std::vector<SettingValue> values = store_->Enumerate(kMainKey);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].name, "FontSizetavrelomin");
  EXPECT_EQ(values[0].text, "24");
}

TEST_F(StoreTest, SecondBytesOfGbkCharactersAreNotLetters) {
  // 0x81 0x41 and 0x81 0x61 are two different characters, not "A" and "a".
  const std::string upper_trail = "\x81\x41";
  const std::string lower_trail = "\x81\x61";
  ASSERT_TRUE(store_->Write(kMainKey, upper_trail, "one"));
  ASSERT_TRUE(store_->Write(kMainKey, lower_trail, "two"));
  EXPECT_EQ(store_->Read(kMainKey, upper_trail), "one");
  EXPECT_EQ(store_->Read(kMainKey, lower_trail), "two");

  // 0x81 0x5C ends in the backslash byte, which is part of the character.
  const std::string key = "Software\\\x81\x5C";
  ASSERT_TRUE(store_->CreateKey(key));
  EXPECT_TRUE(store_->KeyExists(key));
  EXPECT_FALSE(store_->KeyExists("Software\\\x81"));
}

TEST_F(StoreTest, ValuesEnumerateInFirstWrittenOrder) {
  for (const char* name : {"c", "a", "b"}) ASSERT_TRUE(store_->Write(kMainKey, name, name));
  ASSERT_TRUE(store_->Write(kMainKey, "A", "rewritten"));  // keeps its place
  ASSERT_TRUE(store_->DeleteValue(kMainKey, "c"));
  ASSERT_TRUE(store_->Write(kMainKey, "d", "d"));
  ASSERT_TRUE(store_->Write(kMainKey, "C", "back"));  // written anew: last
  EXPECT_EQ(Names(kMainKey), (std::vector<std::string>{"a", "b", "d", "C"}));
  EXPECT_EQ(store_->Enumerate(kMainKey)[0].text, "rewritten");

  store_.reset();
  store_ = SettingsStore::Open(path_);
  EXPECT_EQ(Names(kMainKey), (std::vector<std::string>{"a", "b", "d", "C"}));
}

TEST_F(StoreTest, TextsOfMoreThan499BytesReadAsError) {
  struct Case {
    std::size_t size;
    bool fits;
  };
  for (Case c :
       {Case{0, true}, Case{1, true}, Case{499, true}, Case{500, false}, Case{5000, false}}) {
    std::string text(c.size, 'x');
    ASSERT_TRUE(store_->Write(kMainKey, "value", text));
    EXPECT_EQ(store_->Read(kMainKey, "value"), c.fits ? text : "Error") << c.size;
  }
  EXPECT_EQ(store_->Read(kMainKey, "missing"), "Error");
  EXPECT_EQ(store_->Read(kHistoryKey, "value"), "Error");
}

TEST_F(StoreTest, TextsAreCStrings) {
  ASSERT_TRUE(store_->Write(kMainKey, "value", std::string_view("ab\0cd", 5)));
  EXPECT_EQ(store_->Read(kMainKey, "value"), "ab");
}

TEST_F(StoreTest, WritesNeverCreateKeys) {
  EXPECT_FALSE(store_->Write(kHistoryKey, "1", "message"));
  EXPECT_FALSE(store_->KeyExists(kHistoryKey));
  EXPECT_EQ(store_->Read(kHistoryKey, "1"), "Error");

  ASSERT_TRUE(store_->CreateKey(kHistoryKey));
  EXPECT_TRUE(store_->CreateKey(kHistoryKey));  // already there: still fine
  EXPECT_TRUE(store_->Write(kHistoryKey, "1", "message"));
  EXPECT_EQ(store_->Read(kHistoryKey, "1"), "message");
  EXPECT_FALSE(store_->CreateKey(""));
  EXPECT_FALSE(store_->Write("", "1", "message"));
}

TEST_F(StoreTest, CreatingAKeyCreatesTheKeysAboveIt) {
  ASSERT_TRUE(store_->CreateKey("Tarvolo\\One\\Two\\"));
  EXPECT_TRUE(store_->KeyExists("tarvolo"));
  EXPECT_TRUE(store_->KeyExists("TARVOLO\\one"));
  EXPECT_TRUE(store_->KeyExists("Tarvolo\\One\\Two"));
  EXPECT_TRUE(store_->Write("Tarvolo", "x", "1"));
}

TEST_F(StoreTest, DeletingValuesAndKeys) {
  ASSERT_TRUE(store_->Write(kMainKey, "kept", "1"));
  ASSERT_TRUE(store_->CreateKey(kHistoryKey));
  for (const char* name : {"1", "2", "3"}) ASSERT_TRUE(store_->Write(kHistoryKey, name, name));

  EXPECT_FALSE(store_->DeleteValue(kHistoryKey, "9"));
  EXPECT_TRUE(store_->DeleteValue(kHistoryKey, "2"));
  EXPECT_EQ(Names(kHistoryKey), (std::vector<std::string>{"1", "3"}));

  // A key with a key below it stays, with its values.
  EXPECT_FALSE(store_->DeleteKey(kMainKey));
  EXPECT_EQ(store_->Read(kMainKey, "kept"), "1");

  EXPECT_TRUE(store_->DeleteKey("software\\microsoft\\windows\\currentversion\\TAVRELOMIN"));
  EXPECT_FALSE(store_->KeyExists(kHistoryKey));
  EXPECT_FALSE(store_->DeleteKey(kHistoryKey));
  // A key made again starts empty: no value of the old one comes back.
  ASSERT_TRUE(store_->CreateKey(kHistoryKey));
  EXPECT_TRUE(store_->Enumerate(kHistoryKey).empty());
  EXPECT_EQ(store_->Read(kHistoryKey, "1"), "Error");
  // A sibling whose name starts like the deleted key is not below it.
  ASSERT_TRUE(store_->CreateKey(kLocalSearchKey));
  EXPECT_TRUE(store_->DeleteKey(kHistoryKey));
  EXPECT_TRUE(store_->KeyExists(kLocalSearchKey));
}

TEST_F(StoreTest, AnErasedValueLeavesNoCopyInTheFiles) {
  const std::string secret = "Pw-\xC3\xDC\xC2\xEB-7f3a9c";  // GBK "密码" inside
  struct Case {
    const char* what;
    // Done to the store before the erase; the secret is written first.
    void (*before)(std::unique_ptr<SettingsStore>& store, const std::string& path,
                   const std::string& secret);
  };
  const Case cases[] = {
      {"only in the log", [](auto&, const auto&, const auto&) {}},
      {"folded into the file by a reopen, then the log moves on",
       [](auto& store, const auto& path, const auto&) {
         store.reset();  // the last connection folds the log into the file
         store = SettingsStore::Open(path);
         ASSERT_TRUE(store->Write(kMainKey, "usernametavrelomin", "member"));
       }},
      {"rewritten: older texts of other lengths",
       [](auto& store, const auto&, const auto& s) {
         ASSERT_TRUE(store->Write(kMainKey, "passwordtavrelomin", s + "-longer-text"));
         ASSERT_TRUE(store->Write(kMainKey, "passwordtavrelomin", s));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(store_->Write(kMainKey, "FontSizetavrelomin", "20"));
    ASSERT_TRUE(store_->Write(kMainKey, "passwordtavrelomin", secret));
    c.before(store_, path_, secret);
    ASSERT_TRUE(test::StoreFilesHold(path_, secret));

    EXPECT_TRUE(store_->EraseValue(kMainKey, "PASSWORDtavrelomin"));
    EXPECT_FALSE(test::StoreFilesHold(path_, secret));
    EXPECT_EQ(store_->Read(kMainKey, "passwordtavrelomin"), "Error");
    EXPECT_EQ(store_->Read(kMainKey, "FontSizetavrelomin"), "20");
    EXPECT_FALSE(store_->EraseValue(kMainKey, "passwordtavrelomin"));
  }
}

class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SettingsLocation, EnvironmentChoosesTheFile) {
  struct Case {
    std::optional<std::string> explicit_file;
    std::optional<std::string> config_home;
    std::string expected;
  };
  const Case cases[] = {
      {"/srv/x.db", "/cfg", "/srv/x.db"},
      {std::nullopt, "/cfg", "/cfg/tarvolo/settings.db"},
      {"", "/cfg", "/cfg/tarvolo/settings.db"},
      {std::nullopt, std::nullopt, "/home/member/.config/tarvolo/settings.db"},
      {std::nullopt, "", "/home/member/.config/tarvolo/settings.db"},
      {std::nullopt, "relative/cfg", "/home/member/.config/tarvolo/settings.db"},
  };
  ScopedEnv home("HOME", "/home/member");
  for (const Case& c : cases) {
    ScopedEnv file("TARVOLO_SETTINGS", c.explicit_file);
    ScopedEnv config("XDG_CONFIG_HOME", c.config_home);
    EXPECT_EQ(SettingsStore::DefaultPath(), c.expected);
  }
}

}  // namespace
}  // namespace tv
