// A real sentence through the real speech engine, measured by sox; and no
// engine at all.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/gbk.h"
#include "subscribe/speech_engine.h"

namespace tv {
namespace {

// What `command` printed on its standard output.
std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  pclose(pipe);
  return out;
}

TEST(SpeechEngine, SpeaksAnAlertInMandarinThatSoxMeasures) {
  SpeechEngine& engine = SpeechEngine::Instance();
  ASSERT_TRUE(engine.Ready()) << "espeak-ng with its Mandarin voice (espeak-ng-data)";
  const SpeechAudio one = engine.Render(Utf8ToGbk("新货源，济宁到北京，钢材二十吨，求九米六平板"));
  const SpeechAudio burst = engine.Render(Utf8ToGbk("济宁到北京 新货源 12 条"));
  ASSERT_GT(one.sample_rate, 0);

  const std::string wav =
      (std::filesystem::temp_directory_path() / ("tv-speech-" + std::to_string(getpid()) + ".wav"))
          .string();
  ASSERT_TRUE(WriteWave(wav, one));
  const std::string measured = Output("soxi -D '" + wav + "' 2>&1");
  const std::string rate = Output("soxi -r '" + wav + "' 2>&1");
  std::filesystem::remove(wav);
  const double seconds = std::strtod(measured.c_str(), nullptr);
  // Twenty-two characters at the engine's pace: a few seconds of speech,
  // heard in passing rather than a recital.
  EXPECT_GT(seconds, 2.0) << measured;
  EXPECT_LT(seconds, 10.0) << measured;
  EXPECT_NEAR(seconds, one.Seconds(), 0.01);
  EXPECT_EQ(std::stoi(rate), one.sample_rate) << rate;
  // The count of a burst is shorter than any one match read out.
  EXPECT_GT(burst.Seconds(), 0.5);
  EXPECT_LT(burst.Seconds(), one.Seconds());
  EXPECT_TRUE(engine.Render("").samples.empty());
}

// In a child process of its own: the engine loads once per process.
TEST(SpeechEngineDeathTest, WithoutItsDataRendersNothingAndDoesNotWait) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // A folder without the voice data (espeak-ng looks for a missing
        // folder where it is installed).
        const auto empty =
            std::filesystem::temp_directory_path() / ("tv-no-speech-" + std::to_string(getpid()));
        std::filesystem::create_directories(empty);
        const auto start = std::chrono::steady_clock::now();
        SpeechEngine& missing = SpeechEngine::Instance(empty.string());
        const bool silent = !missing.Ready() && missing.Render(Utf8ToGbk("新货源")).samples.empty();
        const bool quick = std::chrono::steady_clock::now() - start < std::chrono::seconds(1);
        std::filesystem::remove(empty);
        std::exit(silent && quick ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tv
