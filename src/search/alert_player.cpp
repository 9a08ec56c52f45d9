#include "search/alert_player.h"

namespace tv {

const char* AlertSoundName(AlertSound sound) {
  return sound == AlertSound::kStock ? "STOCK" : "CAR";
}

std::optional<AlertSound> AlertForType(std::string_view type) {
  if (type == "0") return AlertSound::kStock;
  if (type == "1") return AlertSound::kCar;
  return std::nullopt;
}

}  // namespace tv
