// The chimes are compiled in, and a machine without an audio output plays
// nothing without an error or a wait.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>

#include "search/sound_effect_player.h"

namespace tv {
namespace {

TEST(SoundEffectPlayer, ChimesAreResourcesAndAMissingOutputIsSilent) {
  for (AlertSound sound : {AlertSound::kStock, AlertSound::kCar}) {
    QFile file(QString::fromLatin1(AlertSoundResource(sound)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << AlertSoundName(sound);
    EXPECT_EQ(file.read(4), "RIFF");
  }
  QElapsedTimer clock;
  clock.start();
  SoundEffectPlayer player;
  for (int i = 0; i < 50; ++i) {
    player.Play(AlertSound::kStock);
    player.Play(AlertSound::kCar);
  }
  EXPECT_LT(clock.elapsed(), 2000);
}

TEST(AlertForType, CargoStockTrucksCarOthersNothing) {
  EXPECT_EQ(AlertForType("0"), AlertSound::kStock);
  EXPECT_EQ(AlertForType("1"), AlertSound::kCar);
  EXPECT_EQ(AlertForType("8"), std::nullopt);
  EXPECT_EQ(AlertForType(""), std::nullopt);
}

}  // namespace
}  // namespace tv
