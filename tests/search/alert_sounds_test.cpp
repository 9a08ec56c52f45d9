// The two chimes the build makes: playable WAV files, short, distinct, and
// neither clipped nor ending in a click.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Wav {
  int channels = 0;
  int rate = 0;
  int bits = 0;
  std::vector<std::int16_t> samples;
};

std::uint32_t Le(const std::string& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
  return v;
}

bool ReadWav(const std::string& path, Wav& wav) {
  std::ifstream file(path, std::ios::binary);
  const std::string b((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 8, "WAVEfmt ") != 0 ||
      b.compare(36, 4, "data") != 0 || Le(b, 20, 2) != 1 || Le(b, 4, 4) + 8 != b.size() ||
      Le(b, 40, 4) + 44 != b.size()) {
    return false;
  }
  wav.channels = static_cast<int>(Le(b, 22, 2));
  wav.rate = static_cast<int>(Le(b, 24, 4));
  wav.bits = static_cast<int>(Le(b, 34, 2));
  for (std::size_t i = 44; i + 1 < b.size(); i += 2) {
    wav.samples.push_back(static_cast<std::int16_t>(Le(b, i, 2)));
  }
  return true;
}

TEST(AlertSounds, TwoShortDistinctChimes) {
  Wav chimes[2];
  const char* files[2] = {"stock.wav", "car.wav"};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(files[i]);
    ASSERT_TRUE(ReadWav(std::string(TV_SOUNDS_DIR) + "/" + files[i], chimes[i]));
    const Wav& w = chimes[i];
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.bits, 16);
    ASSERT_GT(w.rate, 8000);
    const double seconds = static_cast<double>(w.samples.size()) / w.rate;
    EXPECT_GT(seconds, 0.3);
    EXPECT_LT(seconds, 1.0);
    int peak = 0;
    for (std::int16_t s : w.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GT(peak, 8000);   // audible
    EXPECT_LT(peak, 32000);  // not clipped
    EXPECT_EQ(w.samples.back(), 0);
    EXPECT_LT(std::abs(static_cast<int>(w.samples.front())), 200);
  }
  EXPECT_NE(chimes[0].samples, chimes[1].samples);
}

}  // namespace
