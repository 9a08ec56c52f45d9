#pragma once
// What the labels and text boxes of a window show a reader, for the tests
// that fill windows with markup from a hostile server: a label that renders
// markup made of the server's text would show a headline and load a picture
// instead of the text.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTextDocument>
#include <QTextEdit>
#include <QWidget>

namespace tv::test {

// The markup a hostile server or member puts into every text it can.
inline QString HostileText() {
  return QString::fromUtf8(
      "<h1 style=\"color:red\">官方认证:请先付定金到6222</h1><img src=/some/local/file.png>");
}

inline bool RendersMarkup(const QLabel* label) {
  switch (label->textFormat()) {
    case Qt::PlainText:
      return false;
    case Qt::AutoText:
      return Qt::mightBeRichText(label->text());
    default:
      return true;
  }
}

// The label's text as a reader sees it.
inline QString ShownText(const QLabel* label) {
  if (!RendersMarkup(label)) return label->text();
  QTextDocument document;
  if (label->textFormat() == Qt::MarkdownText) {
    document.setMarkdown(label->text());
  } else {
    document.setHtml(label->text());
  }
  return document.toPlainText();
}

// Every label and text box under `root` (and `root` itself): none renders
// `text` as markup; those that show any of it show it whole, as it is.
// Returns how many show it.
inline int CountShownAsText(QWidget* root, const QString& text) {
  int shown = 0;
  QList<QLabel*> labels = root->findChildren<QLabel*>();
  if (auto* self = qobject_cast<QLabel*>(root)) labels.append(self);
  for (const QLabel* label : labels) {
    SCOPED_TRACE(label->objectName().toStdString() + ": " + label->text().toStdString());
    const QString seen = ShownText(label);
    // Our own markup (a link, a coloured count) never holds a picture.
    if (RendersMarkup(label)) {
      EXPECT_FALSE(label->text().contains(QLatin1String("<img"), Qt::CaseInsensitive))
          << "renders the server's markup";
    }
    if (seen.contains(text)) ++shown;
  }
  for (const QTextEdit* box : root->findChildren<QTextEdit*>()) {
    SCOPED_TRACE(box->objectName().toStdString());
    EXPECT_FALSE(box->document()->toHtml().contains(QLatin1String("<img"), Qt::CaseInsensitive))
        << "a text box holds a picture";
    if (box->toPlainText().contains(text)) ++shown;
  }
  return shown;
}

}  // namespace tv::test
