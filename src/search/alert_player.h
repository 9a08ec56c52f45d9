#pragma once
// The panel's alert for new matches: STOCK for cargo, CAR for trucks, when
// the member switched sounds on. Playing goes through AlertPlayer so tests
// record instead of playing.
#include <optional>
#include <string_view>

#include "resources/alert_sounds.h"

namespace tv {

// The chime's name, "STOCK" or "CAR".
const char* AlertSoundName(AlertSound sound);
// The chime of a record's `Type`: "0" cargo, "1" trucks, nothing otherwise.
std::optional<AlertSound> AlertForType(std::string_view type);

class AlertPlayer {
 public:
  virtual ~AlertPlayer() = default;
  // Starts the chime and returns at once; a chime still sounding is cut off.
  virtual void Play(AlertSound sound) = 0;
};

}  // namespace tv
