#pragma once
// A registration form filled in so that every check passes.
#include <string>

#include "account/registration.h"
#include "core/gbk.h"

namespace tv::test {

inline RegistrationValues SampleRegistration(std::string user = "wang01") {
  RegistrationValues v;
  v.username = std::move(user);
  v.password = "secret1";
  v.confirm = "secret1";
  v.real_name = Utf8ToGbk("王小明");
  v.sex = Utf8ToGbk("男");
  v.province = Utf8ToGbk("山东省");
  v.city = Utf8ToGbk("济南");
  v.town = Utf8ToGbk("历下");
  v.area_code = "0531";
  v.tel_number = "88886666";
  return v;
}

}  // namespace tv::test
