#pragma once
// The program's local time text: "2012-3-7 9:05:02" (month, day and hour not
// padded; minutes and seconds always two digits).
#include <ctime>
#include <string>

namespace tv {

std::string TimeText(std::time_t when);
std::string TimeTextNow();

}  // namespace tv
