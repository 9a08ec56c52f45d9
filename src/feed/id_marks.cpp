#include "feed/id_marks.h"

namespace tv {

void IdMarks::Add(std::string_view info_id) {
  if (info_id.empty()) return;
  if (!text_.empty()) text_ += '|';
  text_ += 'B';
  text_ += info_id;
  text_ += 'E';
  ids_.emplace(info_id);
}

bool IdMarks::Contains(std::string_view info_id) const {
  return !info_id.empty() && ids_.find(info_id) != ids_.end();
}

}  // namespace tv
