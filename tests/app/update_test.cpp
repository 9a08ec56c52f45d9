// The version check and the downloads of an update, against a local service
// offering a chosen version and files.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <functional>

#include "app/version_check.h"
#include "app_fixture.h"
#include "core/gbk.h"
#include "core/version.h"
#include "local_service.h"
#include "update_signer.h"

namespace tv {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class UpdateTest : public ::testing::Test {
 protected:
  UpdateTest() {
    QDir(dir_.path()).mkpath(QStringLiteral("offer"));
    QDir(dir_.path()).mkpath(QStringLiteral("bin"));
    offer_ = dir_.filePath(QStringLiteral("offer")).toStdString();
    program_ = dir_.filePath(QStringLiteral("bin/tarvolo")).toStdString();
    WriteAll(program_, "running program");
  }

  void SetUp() override { ASSERT_TRUE(signer_.ok()) << signer_.error(); }

  // An offered file with its signature beside it.
  void Offer(const char* name, const std::string& bytes) {
    WriteAll(offer_ + "/" + name, bytes);
    ASSERT_TRUE(signer_.Sign(offer_ + "/" + name)) << signer_.error();
  }

  UpdateOutcome Check(const std::string& host) { return CheckFull(host).outcome; }

  UpdateCheck CheckFull(const std::string& host) {
    UpdateEnvironment env;
    env.host = host;
    env.program_path = program_;
    env.current_version = kClientVersion;
    env.caption = [this](std::string_view gbk) { captions_.push_back(GbkToUtf8(gbk)); };
    env.start_updater = [this](const std::string& updater, const std::string& new_program,
                               const std::string& program) {
      started_ = {updater, new_program, program};
      return true;
    };
    env.may_replace = [this](const std::string&) { return may_replace_; };
    env.public_key_hex = signer_.public_hex();
    return CheckForUpdate(env);
  }

  std::string Bin(const char* name) const {
    return program_.substr(0, program_.rfind('/') + 1) + name;
  }

  QTemporaryDir dir_;
  UpdateSigner signer_{dir_.path().toStdString()};
  std::string offer_;
  std::string program_;
  std::vector<std::string> captions_;
  std::vector<std::string> started_;
  bool may_replace_ = true;
};

TEST_F(UpdateTest, ANewerVersionIsDownloadedBesideTheProgramAndTheUpdaterStarted) {
  Offer("tarvolo", "new program");
  Offer("Update.exe", "updater");
  LocalService service({"--offer-version", "8.2.0.0", "--update-dir", offer_});
  ASSERT_TRUE(service.ok()) << service.error();

  ASSERT_EQ(Check(service.host()), UpdateOutcome::kUpdaterStarted);
  EXPECT_EQ(ReadAll(Bin("tarvolo.CRS")), "new program");
  EXPECT_EQ(ReadAll(Bin("UpDate.exe")), "updater");
  EXPECT_EQ(ReadAll(program_), "running program");
  for (const char* name : {"tarvolo.CRS", "UpDate.exe"}) {
    struct stat st {};
    ASSERT_EQ(::stat(Bin(name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << name;
  }
  // The signatures served their check and are gone.
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Bin("tarvolo.CRS.sig"))));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Bin("UpDate.exe.sig"))));
  EXPECT_EQ(started_, (std::vector<std::string>{Bin("UpDate.exe"), Bin("tarvolo.CRS"), program_}));
  EXPECT_EQ(captions_, (std::vector<std::string>{"正在升级,请稍候...", "升级成功,正在加载!"}));
}

TEST_F(UpdateTest, OnlyTheFirstTwoVersionComponentsCount) {
  Offer("tarvolo", "new program");
  Offer("Update.exe", "updater");
  struct Case {
    const char* offered;
    UpdateOutcome expected;
  };
  for (const Case& c :
       {Case{"8.1.9.9", UpdateOutcome::kNoUpdate}, Case{"8.1.0.1", UpdateOutcome::kNoUpdate},
        Case{"7.9.0.0", UpdateOutcome::kNoUpdate}, Case{"9.0", UpdateOutcome::kUpdaterStarted}}) {
    LocalService service({"--offer-version", c.offered, "--update-dir", offer_});
    ASSERT_TRUE(service.ok()) << service.error();
    EXPECT_EQ(Check(service.host()), c.expected) << c.offered;
  }
}

TEST_F(UpdateTest, AFailedUpdaterDownloadRemovesTheNewProgram) {
  Offer("tarvolo", "new program");  // no Update.exe offered
  LocalService service({"--offer-version", "8.2.0.0", "--update-dir", offer_});
  ASSERT_TRUE(service.ok()) << service.error();
  EXPECT_EQ(Check(service.host()), UpdateOutcome::kDownloadFailed);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Bin("tarvolo.CRS"))));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Bin("UpDate.exe"))));
  EXPECT_TRUE(started_.empty());
}

TEST_F(UpdateTest, ACopyThatMayNotReplaceItselfOnlyLearnsTheOfferedVersion) {
  WriteAll(offer_ + "/tarvolo", "new program");
  WriteAll(offer_ + "/Update.exe", "updater");
  may_replace_ = false;
  {
    LocalService service({"--offer-version", "8.2.0.0", "--update-dir", offer_});
    ASSERT_TRUE(service.ok()) << service.error();
    const UpdateCheck check = CheckFull(service.host());
    EXPECT_EQ(check.outcome, UpdateOutcome::kNewerVersionOffered);
    EXPECT_EQ(check.offered_version, "8.2.0.0");
  }
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Bin("tarvolo.CRS"))));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Bin("UpDate.exe"))));
  EXPECT_TRUE(started_.empty());
  EXPECT_TRUE(captions_.empty());
  // Nothing newer: nothing to tell either.
  LocalService same({"--update-dir", offer_});
  ASSERT_TRUE(same.ok()) << same.error();
  const UpdateCheck check = CheckFull(same.host());
  EXPECT_EQ(check.outcome, UpdateOutcome::kNoUpdate);
  EXPECT_EQ(check.offered_version, "");
}

// A copy in a writable folder may replace itself unless the installed
// package lists it among its files.
TEST_F(UpdateTest, APackagedOrUnwritableCopyMayNotReplaceItself) {
  QDir(dir_.path()).mkpath(QStringLiteral("dpkg"));
  const std::string dpkg = dir_.filePath(QStringLiteral("dpkg")).toStdString();
  EXPECT_TRUE(MayReplaceProgram(program_, dpkg));
  WriteAll(dpkg + "/tarvolo.list", "/.\n/usr/bin/tarvolo\n" + program_ + ".old\n");
  EXPECT_TRUE(MayReplaceProgram(program_, dpkg)) << "only an exact line counts";
  WriteAll(dpkg + "/tarvolo.list", "/.\n" + program_ + "\n/usr/bin/tarvolo-cli\n");
  EXPECT_FALSE(MayReplaceProgram(program_, dpkg));
  // A folder that does not exist cannot take the new program; nor can an
  // unknown program path.
  EXPECT_FALSE(
      MayReplaceProgram(dir_.filePath(QStringLiteral("gone/tarvolo")).toStdString(), dpkg));
  EXPECT_FALSE(MayReplaceProgram("", dpkg));
  if (::geteuid() != 0) {  // root writes anywhere
    ASSERT_EQ(::chmod(Bin("").c_str(), 0555), 0);
    EXPECT_FALSE(MayReplaceProgram(program_, dpkg));
    ::chmod(Bin("").c_str(), 0755);
  }
}

// Whatever is wrong with a signature, nothing is replaced or started, nothing
// downloaded stays, and the outcome says why.
TEST_F(UpdateTest, AnUpdateWhoseSignatureFailsLeavesTheOldProgramInPlace) {
  QDir(dir_.path()).mkpath(QStringLiteral("other"));
  UpdateSigner stranger(dir_.filePath(QStringLiteral("other")).toStdString());
  ASSERT_TRUE(stranger.ok()) << stranger.error();
  auto flip_byte = [](const std::string& path, std::size_t at) {
    std::string bytes = ReadAll(path);
    ASSERT_LT(at, bytes.size());
    bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
    WriteAll(path, bytes);
  };
  struct Case {
    const char* what;
    std::function<void()> spoil;  // after both files were offered and signed
  };
  const std::string program = offer_ + "/tarvolo";
  const std::string updater = offer_ + "/Update.exe";
  const Case cases[] = {
      {"a flipped byte in the program", [&] { flip_byte(program, 3); }},
      {"a flipped byte in its signature", [&] { flip_byte(program + ".sig", 17); }},
      {"no signature", [&] { ::unlink((program + ".sig").c_str()); }},
      {"a signature by another key", [&] { ASSERT_TRUE(stranger.Sign(program)); }},
      {"a signature cut short",
       [&] { WriteAll(program + ".sig", ReadAll(program + ".sig").substr(0, 63)); }},
      {"the updater signed by another key", [&] { ASSERT_TRUE(stranger.Sign(updater)); }},
      {"the updater without its signature", [&] { ::unlink((updater + ".sig").c_str()); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Offer("tarvolo", "new program, a few bytes long");
    Offer("Update.exe", "updater");
    c.spoil();
    LocalService service({"--offer-version", "8.2.0.0", "--update-dir", offer_});
    ASSERT_TRUE(service.ok()) << service.error();
    started_.clear();
    const UpdateCheck check = CheckFull(service.host());
    EXPECT_EQ(check.outcome, UpdateOutcome::kSignatureFailed);
    EXPECT_EQ(check.offered_version, "8.2.0.0");
    EXPECT_TRUE(started_.empty());
    EXPECT_EQ(ReadAll(program_), "running program");
    EXPECT_EQ(QDir(QString::fromStdString(Bin(""))).entryList(QDir::Files),
              QStringList{QStringLiteral("tarvolo")});
  }
}

TEST_F(UpdateTest, NoVersionFileMeansNoUpdate) {
  EXPECT_EQ(Check(DeadHost()), UpdateOutcome::kNoUpdate);
  EXPECT_TRUE(captions_.empty());
}

}  // namespace
}  // namespace tv
