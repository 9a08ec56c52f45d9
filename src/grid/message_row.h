#pragma once
// How a message lies in a grid row, in the main list and in the search
// results alike: fourteen columns, most of them hidden, keeping the fields
// that the row text, the detail view and the messenger link are built from.
namespace tv {

enum MessageColumn : int {
  kColInfoId = 0,
  kColCity = 1,
  kColTypeWord = 2,  // "货源", "车源" or "信息"
  kColContent = 3,   // carries the highlight markers of the row text
  kColTel = 4,
  kColFlag = 5,  // the publisher's user identifier, "0" for staff entries
  kColTime = 6,
  kColTypeIcon = 7,
  kColRowText = 8,
  kColQQ = 9,
  kColDetailIcon = 10,
  kColMessengerIcon = 11,
  kColDeal = 12,  // "1" when the deal is closed
  kColCompany = 13,
};
inline constexpr int kMessageColumns = 14;

}  // namespace tv
