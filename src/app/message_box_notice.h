#pragma once
// The client's notice sink: the modal "提示" box with "确定", and the yes/no
// question box. Installed once by main(); tests use a recorder instead.
#include "core/notice.h"

namespace tv {

class MessageBoxNoticeSink : public NoticeSink {
 public:
  void Notice(const std::string& gbk_text) override;
  bool Ask(const std::string& gbk_text) override;
};

}  // namespace tv
