#include "app/message_box_notice.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "core/qt_gbk.h"

namespace tv {

std::unique_ptr<QMessageBox> NewNoticeBox(const std::string& gbk_text, bool question,
                                          QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(question ? QMessageBox::Question : QMessageBox::NoIcon,
                                           QStringLiteral("提示"), QString(), QMessageBox::NoButton,
                                           parent);
  box->setTextFormat(Qt::PlainText);
  box->setText(FromGbk(gbk_text));
  if (question) {
    box->addButton(QStringLiteral("是"), QMessageBox::YesRole);
    box->addButton(QStringLiteral("否"), QMessageBox::NoRole);
  } else {
    box->addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
  }
  return box;
}

void MessageBoxNoticeSink::Prepare(QMessageBox&, const std::string&) {}

void MessageBoxNoticeSink::Notice(const std::string& gbk_text) {
  auto box = NewNoticeBox(gbk_text, false, QApplication::activeWindow());
  Prepare(*box, gbk_text);
  box->exec();
}

bool MessageBoxNoticeSink::Ask(const std::string& gbk_text) {
  return AskWithDefault(gbk_text, true);
}

bool MessageBoxNoticeSink::AskDefaultNo(const std::string& gbk_text) {
  return AskWithDefault(gbk_text, false);
}

bool MessageBoxNoticeSink::AskWithDefault(const std::string& gbk_text, bool default_yes) {
  auto box = NewNoticeBox(gbk_text, true, QApplication::activeWindow());
  if (!default_yes) {
    for (QAbstractButton* button : box->buttons()) {
      if (box->buttonRole(button) != QMessageBox::NoRole) continue;
      box->setDefaultButton(qobject_cast<QPushButton*>(button));
      box->setEscapeButton(button);
    }
  }
  Prepare(*box, gbk_text);
  box->exec();
  return box->buttonRole(box->clickedButton()) == QMessageBox::YesRole;
}

}  // namespace tv
