#pragma once
// The deleted (or closed) message identifiers learnt in this run. The text
// form "B4402E|B4399E" is what other windows read and is only ever appended
// to; the set beside it answers "is this id marked" without scanning a text
// that grows for the whole run.
#include <string>
#include <string_view>
#include <unordered_set>

namespace tv {

class IdMarks {
 public:
  // Appends the mark "B<id>E" (joined by "|"); an empty id is ignored.
  void Add(std::string_view info_id);
  bool Contains(std::string_view info_id) const;
  const std::string& Text() const { return text_; }
  bool Empty() const { return text_.empty(); }
  std::size_t Count() const { return ids_.size(); }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::string text_;
  std::unordered_set<std::string, Hash, std::equal_to<>> ids_;
};

}  // namespace tv
