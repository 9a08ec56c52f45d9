#pragma once
// The two alert chimes compiled into the program.

namespace tv {

enum class AlertSound { kStock, kCar };

// Its address in the resource system (":/tarvolo/sounds/stock.wav").
const char* AlertSoundResource(AlertSound sound);

}  // namespace tv
