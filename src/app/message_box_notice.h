#pragma once
// The client's notice sink: the modal "提示" box with "确定", and the yes/no
// question box. Installed once at start-up; tests use a recorder instead.
#include <memory>

#include "core/notice.h"

class QMessageBox;
class QWidget;

namespace tv {

// The box of a notice, or of a question with "是" and "否", not yet shown.
// Its text is shown as it is: notices carry names and texts from the service
// and other members, which are never markup.
std::unique_ptr<QMessageBox> NewNoticeBox(const std::string& gbk_text, bool question,
                                          QWidget* parent);

class MessageBoxNoticeSink : public NoticeSink {
 public:
  void Notice(const std::string& gbk_text) override;
  bool Ask(const std::string& gbk_text) override;
  bool AskDefaultNo(const std::string& gbk_text) override;

 protected:
  // Called with each box before it runs (the end-to-end build reports the
  // text and lets the box close itself).
  virtual void Prepare(QMessageBox& box, const std::string& gbk_text);

 private:
  bool AskWithDefault(const std::string& gbk_text, bool default_yes);
};

}  // namespace tv
