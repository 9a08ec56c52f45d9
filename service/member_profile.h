#pragma once
// A member as the login answer hands it out, and as the client reads it back.
#include <string>
#include <string_view>

#include "net/login_answer.h"
#include "store.h"

namespace tv {

// The 27 profile fields between "@@@@@" separators, in the order the client
// reads them; an ordinary member (negative status) carries the two
// contact-wait fields after the status. `session_key` goes into field 17.
std::string ProfileText(const Member& member, std::string_view session_key);

// The profile exactly as a client holds it after its login (texts cut to the
// client's field sizes), so that what the client composes from it can be
// composed here alike.
MemberProfile ProfileOf(const Member& member);

}  // namespace tv
