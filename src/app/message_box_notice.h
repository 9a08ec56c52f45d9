#pragma once
// The client's notice sink: the modal "提示" box with "确定", and the yes/no
// question box. Installed once at start-up; tests use a recorder instead.
#include "core/notice.h"

class QMessageBox;

namespace tv {

class MessageBoxNoticeSink : public NoticeSink {
 public:
  void Notice(const std::string& gbk_text) override;
  bool Ask(const std::string& gbk_text) override;

 protected:
  // Called with each box before it runs (the end-to-end build reports the
  // text and lets the box close itself).
  virtual void Prepare(QMessageBox& box, const std::string& gbk_text);
};

}  // namespace tv
