#pragma once
// Messages and members the detail tests share.
#include <string>

#include "core/gbk.h"
#include "detail/detail_decisions.h"

namespace tv::detail_test {

// UTF-8 literal -> GBK, for expectations written in readable text.
inline std::string G(const char* utf8) { return Utf8ToGbk(utf8); }

inline CurrentMessage PublisherMessage() {
  CurrentMessage m;
  m.InfoID = "9001";
  m.City = G("济宁");
  m.TypeWord = G("货源");
  m.Content = G("有货10吨");
  m.Tel = "13800001111";
  m.Flag = "2002";
  m.Time = "2012-03-07 09:05:00";
  m.Deal = "0";
  m.Company = G("鲁达物流");
  return m;
}

enum class Member { kFull, kOrdinaryWaiting, kOrdinaryNoWait, kNoContactRights, kGuest };

inline DetailViewer Viewer(Member kind, long wait_seconds = 10) {
  DetailViewer v;
  v.logged_in = true;
  v.user_id = 1001;
  switch (kind) {
    case Member::kFull:
      break;
    case Member::kOrdinaryWaiting:
      v.ordinary_member = true;
      v.contact_wait_flag = 1;
      v.contact_wait_seconds = wait_seconds;
      break;
    case Member::kOrdinaryNoWait:
      v.ordinary_member = true;
      v.contact_wait_flag = 0;
      v.contact_wait_seconds = wait_seconds;
      break;
    case Member::kNoContactRights:
      v.no_contact_rights = true;
      v.user_id = 0;
      break;
    case Member::kGuest:
      v.guest_mode = true;
      v.user_id = 0;
      break;
  }
  return v;
}

inline const char* Name(Member kind) {
  switch (kind) {
    case Member::kFull:
      return "full";
    case Member::kOrdinaryWaiting:
      return "ordinary_waiting";
    case Member::kOrdinaryNoWait:
      return "ordinary_no_wait";
    case Member::kNoContactRights:
      return "no_contact_rights";
    case Member::kGuest:
      return "guest";
  }
  return "?";
}

}  // namespace tv::detail_test
