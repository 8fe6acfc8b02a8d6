#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace orvenna::app {

bool LoadProgramTranslation(QTranslator& translator, const QLocale& locale)
{
    return translator.load(locale, QStringLiteral("orvenna"), QStringLiteral("_"),
                           QStringLiteral(":/i18n"));
}

QString InstallTranslations(QCoreApplication& application, const QLocale& locale)
{
    auto* program = new QTranslator(&application);
    if (!LoadProgramTranslation(*program, locale)) {
        delete program;
        return {};
    }
    QCoreApplication::installTranslator(program);
    // Qt's texts in the language ours was found in, not in the first one the user lists.
    const QString language = QLocale(program->language()).name().section(u'_', 0, 0);
    auto* qt = new QTranslator(&application);
    if (qt->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    return language;
}

}  // namespace orvenna::app
