#pragma once
// GBK <-> QString at the edge of the widgets.
#include <QString>
#include <string>
#include <string_view>

namespace tv {

QString FromGbk(std::string_view gbk);
std::string ToGbk(const QString& text);

}  // namespace tv
