#include "grid/text_measure.h"

#include "core/gbk.h"

namespace tv {

TextExtent FixedTextMeasure::Measure(const CellFont& /*font*/, std::string_view gbk) const {
  long long width = 0;
  for (std::size_t i = 0; i < gbk.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(gbk[i])) && i + 1 < gbk.size()) {
      width += 2LL * char_width_;
      ++i;
    } else {
      width += char_width_;
    }
  }
  const long long kMax = 0x7FFFFFFF;
  return {static_cast<int>(width > kMax ? kMax : width), height_};
}

}  // namespace tv
