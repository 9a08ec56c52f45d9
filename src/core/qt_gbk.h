#pragma once
// GBK <-> QString at the edge of the widgets.
#include <QString>
#include <string>
#include <string_view>

#include "core/gbk_fit.h"

namespace tv {

QString FromGbk(std::string_view gbk);
// Characters GBK cannot hold become '?': for text the program itself holds.
std::string ToGbk(const QString& text);
// What the member typed: the GBK text and every character GBK cannot hold,
// so that the form refuses it and names them (DescribeCharacters) instead of
// sending or storing '?'.
GbkFit FitToGbk(const QString& text);

}  // namespace tv
