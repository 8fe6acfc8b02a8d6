#include "platform/linux/linuxplatform.h"
#include "platform/linux/shellrules.h"
#include "platform/linux/xdgpaths.h"
#include "platform/platformlog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <stdexcept>

namespace orvenna::platform {

namespace {

// A desktop entry may not hold control characters; three have string escapes.
bool IsRepresentable(const QString& text)
{
    for (const QChar ch : text) {
        const bool escaped = ch == u'\n' || ch == u'\t' || ch == u'\r';
        if ((ch.unicode() < 0x20 || ch.unicode() == 0x7f) && !escaped)
            return false;
    }
    return true;
}

QString EscapeStringValue(const QString& value)
{
    QString escaped;
    escaped.reserve(value.size() + 8);
    for (const QChar ch : value) {
        switch (ch.unicode()) {
        case u'\\': escaped += QLatin1String("\\\\"); break;
        case u'\n': escaped += QLatin1String("\\n"); break;
        case u'\t': escaped += QLatin1String("\\t"); break;
        case u'\r': escaped += QLatin1String("\\r"); break;
        default: escaped += ch;
        }
    }
    return escaped;
}

QString EntryPath()
{
    return AutostartFolder() + QLatin1String(AutostartFileName);
}

}  // namespace

QString QuoteExecArgument(const QString& argument)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar ch : argument) {
        if (ch == u'%') {
            quoted += QLatin1String("%%");
            continue;
        }
        if (ch == u'"' || ch == u'`' || ch == u'$' || ch == u'\\')
            quoted += u'\\';
        quoted += ch;
    }
    quoted += u'"';
    return EscapeStringValue(quoted);
}

QString AutostartEntryText(const QString& executable)
{
    if (executable.isEmpty() || !IsRepresentable(executable))
        return {};
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Orvenna\n"
                          "Comment=Desktop calendar and reminders\n"
                          "Exec=%1\n"
                          "Terminal=false\n")
        .arg(QuoteExecArgument(executable));
}

QString AutostartFolder()
{
    QString base = ConfigHome();
    if (!base.endsWith(u'/'))
        base += u'/';
    return base + QLatin1String("autostart/");
}

void TLinuxPlatform::SetAutoRun(bool enabled)
{
    if (!enabled) {
        QFile entry(EntryPath());
        if (entry.exists() && !entry.remove())
            qCWarning(lcPlatform) << "cannot remove the autostart entry" << entry.fileName() << ':'
                                  << entry.errorString();
        return;
    }
    const QString text = AutostartEntryText(ExecutablePath());
    if (text.isEmpty()) {
        qCWarning(lcPlatform) << "no autostart entry for the executable" << ExecutablePath();
        return;
    }
    if (!QDir().mkpath(AutostartFolder())) {
        qCWarning(lcPlatform) << "cannot make the autostart folder" << AutostartFolder();
        return;
    }
    // Written beside the old entry and renamed over it, so a session starting meanwhile
    // never reads half an entry. The folder is there: an entry that cannot be written is the
    // caller's to show.
    QSaveFile file(EntryPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        qCWarning(lcPlatform) << "cannot write the autostart entry" << file.fileName() << ':'
                              << file.errorString();
        throw std::runtime_error(
            QCoreApplication::translate("orvenna::platform", "Failed to set data for '%1'")
                .arg(EntryPath())
                .toStdString());
    }
}

bool TLinuxPlatform::IsAutoRunEnabled() const
{
    QFile file(EntryPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A session manager switches an entry off by adding Hidden=true to the user's copy.
    while (!file.atEnd()) {
        if (file.readLine().trimmed() == "Hidden=true")
            return false;
    }
    return true;
}

}  // namespace orvenna::platform
