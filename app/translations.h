#pragma once
// The program in the user's language: its own translation of the captions, menus and messages
// (":/i18n/orvenna_<language>.qm", built from translations/), and Qt's own texts (the standard
// buttons, the editors' context menus) for the same language. A language without a translation
// of ours keeps every text English, Qt's included, so that no window mixes two languages.

#include <QLocale>
#include <QString>

class QCoreApplication;
class QTranslator;

namespace orvenna::app {

// Loads the program's translation for the first of the locale's interface languages that has
// one; false when none has (English: nothing to load).
bool LoadProgramTranslation(QTranslator& translator, const QLocale& locale);

// Installs the program's and Qt's translations into the application (both owned by it) and
// returns the language loaded ("de", "fr"), empty for English.
QString InstallTranslations(QCoreApplication& application,
                            const QLocale& locale = QLocale::system());

}  // namespace orvenna::app
