#include "resources/alert_sounds.h"

namespace tv {

const char* AlertSoundResource(AlertSound sound) {
  return sound == AlertSound::kStock ? ":/tarvolo/sounds/stock.wav" : ":/tarvolo/sounds/car.wav";
}

}  // namespace tv
