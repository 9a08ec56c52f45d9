#pragma once
// The client's notice sink: the modal "提示" box with "确定", and the yes/no
// question box. Installed once by main(); tests use a recorder instead.
#include "core/notice.h"

class QMessageBox;

namespace tv {

class MessageBoxNoticeSink : public NoticeSink {
 public:
  // `report_and_close_ms` > 0 (end-to-end runs): every text is also printed
  // on standard output and the box closes itself after that many ms.
  explicit MessageBoxNoticeSink(int report_and_close_ms = 0)
      : report_and_close_ms_(report_and_close_ms) {}
  void Notice(const std::string& gbk_text) override;
  bool Ask(const std::string& gbk_text) override;

 private:
  void Prepare(QMessageBox& box, const std::string& gbk_text);
  int report_and_close_ms_;
};

}  // namespace tv
