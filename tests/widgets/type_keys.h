#pragma once
// Typing into a widget key by key, as QTest::keyClicks does, also for the
// characters that have no key of their own (keyClicks takes ASCII only).
#include <QString>
#include <QTest>
#include <QWidget>

namespace tv::test {

inline void TypeKeys(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() < 0x80) {
      QTest::keyClick(widget, c.toLatin1());
    } else {
      QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
}

}  // namespace tv::test
