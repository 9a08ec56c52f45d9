#pragma once
// Truck lengths named in a message: "9.6米", "9米6", "１７．５米", "6.8/7.6米".
// The lengths a list can be narrowed to are those of the publish forms' truck
// length menu (4米 to 17.5米), so that what members pick when they write is
// what they pick when they read.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

struct TruckLength {
  int decimetres = 0;  // 96 for 9.6米
  std::string label;   // GBK, as the menu shows it: "9.6米"
};

// The lengths of the truck length menu, shortest first (at most 32).
std::span<const TruckLength> KnownTruckLengths();

// Every length the text names, in decimetres, in the order written (a length
// named twice is listed twice). Full-width digits and points count; a digit
// right after "米" is the decimal of a known length ("9米6" is 9.6米, "4米2辆"
// is 4.2米 too: the menu has it), else it is not read.
std::vector<int> ReadTruckLengths(std::string_view gbk);

// The known lengths the text names, as bits by their index in
// KnownTruckLengths(); 0 when it names none.
std::uint32_t TruckLengthMask(std::string_view gbk);

}  // namespace tv
