#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tv {

QList<QTranslator*> InstallQtTranslations(QCoreApplication& app) {
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  QList<QTranslator*> installed;
  // "qt" gathers qtbase and qtmultimedia; the web views have their own.
  for (const char* catalogue : {"qt", "qtwebengine"}) {
    auto* translator = new QTranslator(&app);
    if (translator->load(chinese, QString::fromLatin1(catalogue), QStringLiteral("_"), dir) &&
        QCoreApplication::installTranslator(translator)) {
      installed.append(translator);
    } else {
      delete translator;
    }
  }
  return installed;
}

}  // namespace tv
