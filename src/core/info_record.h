#pragma once
// One cargo or truck message as the service sends it. All fields are GBK.
#include <string>

namespace tv {

struct InfoRecord {
  std::string InfoID;
  std::string City;
  std::string Type;  // "0" cargo, "1" truck, anything else a general message
  std::string Content;
  std::string Tel;
  std::string QQ;
  std::string Company;
  std::string Flag;  // publishing member's number, "0" for staff entries
  std::string Deal;  // "1" when the deal is closed
  std::string Time;

  bool operator==(const InfoRecord&) const = default;
};

}  // namespace tv
