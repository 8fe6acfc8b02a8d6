#include "desktop/storetexts.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace orvenna::desktop {
namespace {

constexpr const char* Context = "orvenna::store";

// The messages with values in them, as the store writes them, and their translatable forms.
struct TPattern {
    const char* Expression;
    const char* Text;
};
const TPattern Patterns[] = {
    {"^'(.*)' is not a valid time$",
     QT_TRANSLATE_NOOP("orvenna::store", "'%1' is not a valid time")},
    {"^'(.*)' is not a valid date$",
     QT_TRANSLATE_NOOP("orvenna::store", "'%1' is not a valid date")},
    {"^'(.*)' is not a valid date and time$",
     QT_TRANSLATE_NOOP("orvenna::store", "'%1' is not a valid date and time")},
    {"^'(.*)' is not a valid integer value$",
     QT_TRANSLATE_NOOP("orvenna::store", "'%1' is not a valid integer value")},
    {"^Cannot open file \"(.*)\"\\. (.*)$",
     QT_TRANSLATE_NOOP("orvenna::store", "Cannot open file \"%1\". %2")},
    {"^Cannot create file \"(.*)\"\\. (.*)$",
     QT_TRANSLATE_NOOP("orvenna::store", "Cannot create file \"%1\". %2")},
};

// The fixed messages of the component stream.
const char* const FixedTexts[] = {
    QT_TRANSLATE_NOOP("orvenna::store", "Stream read error"),
    QT_TRANSLATE_NOOP("orvenna::store", "Stream write error"),
    QT_TRANSLATE_NOOP("orvenna::store", "Invalid stream format"),
    QT_TRANSLATE_NOOP("orvenna::store", "Invalid property value"),
};

}  // namespace

QString StoreMessage(const QString& message)
{
    for (const char* text : FixedTexts)
        if (message == QLatin1String(text))
            return QCoreApplication::translate(Context, text);
    for (const TPattern& pattern : Patterns) {
        const QRegularExpressionMatch match =
            QRegularExpression(QString::fromLatin1(pattern.Expression)).match(message);
        if (!match.hasMatch())
            continue;
        // All values at once: a value holding "%1" (a file name may) stays as it is.
        const QString translated = QCoreApplication::translate(Context, pattern.Text);
        return match.lastCapturedIndex() == 1
            ? translated.arg(match.captured(1))
            : translated.arg(match.captured(1), match.captured(2));
    }
    return message;
}

QString StoreMessage(std::string_view message)
{
    return StoreMessage(QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())));
}

QString SnoozeLengthCaption(int minutes)
{
    // Whole sentences rather than plural forms: English needs no translation file then.
    if (minutes % 60 == 0) {
        const int hours = minutes / 60;
        return hours == 1 ? QCoreApplication::translate("orvenna::store", "1 hour")
                          : QCoreApplication::translate("orvenna::store", "%1 hours").arg(hours);
    }
    return minutes == 1 ? QCoreApplication::translate("orvenna::store", "1 minute")
                        : QCoreApplication::translate("orvenna::store", "%1 minutes").arg(minutes);
}

}  // namespace orvenna::desktop
