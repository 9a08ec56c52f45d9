#include "feed/row_filter.h"

#include "core/gbk.h"
#include "feed/message_identity.h"
#include "feed/truck_length.h"

namespace tv {

RowTraits TraitsOf(std::string_view type, std::string_view content) {
  RowTraits traits;
  if (type == "0" || type == TV_TEXT("货源")) {
    traits.type = 0;
  } else if (type == "1" || type == TV_TEXT("车源")) {
    traits.type = 1;
  }
  traits.lengths = TruckLengthMask(content);
  return traits;
}

std::vector<std::string> SplitFilterWords(std::string_view gbk) {
  std::vector<std::string> words;
  std::string word;
  const auto flush = [&] {
    if (!word.empty()) words.push_back(std::move(word));
    word.clear();
  };
  const std::string& full_blank = TV_TEXT("　");
  const std::string& full_comma = TV_TEXT("，");
  const std::string& list_mark = TV_TEXT("、");
  for (std::size_t i = 0; i < gbk.size();) {
    const std::size_t width = CharWidthAt(gbk, i);
    const std::string_view ch = gbk.substr(i, width);
    i += width;
    if (ch == " " || ch == "\t" || ch == "," || ch == full_blank || ch == full_comma ||
        ch == list_mark) {
      flush();
    } else {
      word.append(ch);
    }
  }
  flush();
  return words;
}

namespace {

std::vector<std::string> Normalised(const std::vector<std::string>& words) {
  std::vector<std::string> out;
  for (const std::string& w : words) {
    std::string n;
    AppendSearchable(w, n);
    if (!n.empty()) out.push_back(std::move(n));
  }
  return out;
}

}  // namespace

RowFilterTest::RowFilterTest(const RowFilter& filter)
    : empty_(filter.Empty()),
      type_(filter.type),
      lengths_(filter.lengths),
      must_have_(Normalised(filter.must_have)),
      must_not_have_(Normalised(filter.must_not_have)) {}

bool RowFilterTest::PassesTraits(const RowTraits& traits) const {
  if (type_ == FilterType::kCargo && traits.type != 0) return false;
  if (type_ == FilterType::kTrucks && traits.type != 1) return false;
  return lengths_ == 0 || (traits.lengths & lengths_) != 0;
}

bool RowFilterTest::Passes(const RowTraits& traits, std::string_view text,
                           std::string_view more) const {
  if (empty_) return true;
  if (!PassesTraits(traits)) return false;
  if (!NeedsText()) return true;
  scratch_.clear();
  AppendSearchable(text, scratch_);
  if (!more.empty()) {
    // A line end keeps a word from matching across the two texts.
    scratch_ += '\n';
    AppendSearchable(more, scratch_);
  }
  for (const std::string& w : must_have_) {
    if (!ContainsWholeChars(scratch_, w)) return false;
  }
  for (const std::string& w : must_not_have_) {
    if (ContainsWholeChars(scratch_, w)) return false;
  }
  return true;
}

}  // namespace tv
