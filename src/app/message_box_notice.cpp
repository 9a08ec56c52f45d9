#include "app/message_box_notice.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "core/qt_gbk.h"

namespace tv {

void MessageBoxNoticeSink::Prepare(QMessageBox&, const std::string&) {}

void MessageBoxNoticeSink::Notice(const std::string& gbk_text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("提示"), FromGbk(gbk_text),
                  QMessageBox::NoButton, QApplication::activeWindow());
  box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
  Prepare(box, gbk_text);
  box.exec();
}

bool MessageBoxNoticeSink::Ask(const std::string& gbk_text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("提示"), FromGbk(gbk_text),
                  QMessageBox::NoButton, QApplication::activeWindow());
  QPushButton* yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
  box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
  Prepare(box, gbk_text);
  box.exec();
  return box.clickedButton() == yes;
}

}  // namespace tv
