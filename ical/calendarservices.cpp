#include "ical/calendarservices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

namespace orvenna::ical {

TCalendarModule LoadCalendarModule(const QString& executableFolder)
{
    using TEntry = const TCalendarServices* (*)(int version);
    const QString name = QString::fromLatin1(CalendarModuleName);
    const QStringList candidates{
        QDir::cleanPath(executableFolder + u'/' + name),
        QDir::cleanPath(executableFolder + QStringLiteral("/../lib/orvenna/") + name)};
    TCalendarModule module;
    for (const QString& file : candidates) {
        if (!QFileInfo::exists(file))
            continue;
        // Never unloaded: the services live as long as the process.
        QLibrary library(file);
        const auto entry = reinterpret_cast<TEntry>(library.resolve(CalendarModuleEntry));
        if (!entry) {
            module.Failure = "The calendar module \"" + file.toStdString() +
                             "\" cannot be loaded: " + library.errorString().toStdString();
            return module;
        }
        module.Services = entry(CalendarServicesVersion);
        if (!module.Services)
            module.Failure = "The calendar module \"" + file.toStdString() +
                             "\" belongs to another version of the program.";
        return module;
    }
    module.Failure = "The calendar module is missing: neither " +
                     candidates.join(QStringLiteral(" nor ")).toStdString() + " exists.";
    return module;
}

const TCalendarServices& CalendarServices()
{
    static const TCalendarModule module = LoadCalendarModule(QCoreApplication::applicationDirPath());
    if (!module.Services)
        throw ECalendarModuleMissing(module.Failure);
    return *module.Services;
}

}  // namespace orvenna::ical
