#pragma once
// Qt's own texts in the interface's language: the standard dialogs (the
// colour chooser's "Select Color" and "Cancel", the file and font choosers),
// the context menu of every line edit, the web views' menus. Their
// translations come from the system (Debian: qt6-translations-l10n); without
// them Qt speaks English and nothing else changes.
#include <QList>

class QCoreApplication;
class QTranslator;

namespace tv {

// Installs the Simplified Chinese catalogues that are found, whatever the
// system's language (the whole interface is Chinese). Returns them, owned by
// `app`; empty when none was found.
QList<QTranslator*> InstallQtTranslations(QCoreApplication& app);

}  // namespace tv
