#pragma once
// The member's own message, just accepted by the service, as publishing hands
// it to the lists: the record as a list receives it (the service's identifier
// and display text) and what was sent that the record does not carry.
#include <string>

#include "core/info_record.h"

namespace tv {

struct OwnMessage {
  InfoRecord record;
  std::string departure_city;  // "Msg_StartCity" as sent
  std::string content;         // "Msg_Content" as sent (the record holds the service's text)
};

}  // namespace tv
