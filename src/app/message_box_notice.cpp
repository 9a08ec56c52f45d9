#include "app/message_box_notice.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "core/qt_gbk.h"

namespace tv {

void MessageBoxNoticeSink::Prepare(QMessageBox& box, const std::string& gbk_text) {
  if (report_and_close_ms_ <= 0) return;
  std::printf("TARVOLO notice %s\n", FromGbk(gbk_text).toUtf8().constData());
  std::fflush(stdout);
  QTimer::singleShot(report_and_close_ms_, &box, [&box] { box.done(0); });
}

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
