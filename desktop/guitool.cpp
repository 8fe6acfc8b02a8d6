#include "desktop/guitool.h"

#include <QDateTime>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QImageReader>
#include <QLocale>
#include <QPainter>

#include <utility>

namespace orvenna::desktop {

TGUITools* GUITools = nullptr;

namespace {

constexpr int HeaderOverlap = 2;  // each bk.bmp copy covers the two right-most columns of the last

// Read anew on every call: the skin files may be replaced while the program runs.
QImage LoadSkinImage(const QString& programFolder, const QString& name, int minWidth)
{
    const QString path = programFolder + QLatin1String("images/") + name;
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        throw TSkinImageError(
            QStringLiteral("Cannot load the image \"%1\": %2").arg(path, reader.errorString()));
    // A narrower image would make the tiling step zero or negative.
    if (image.width() < minWidth)
        throw TSkinImageError(QStringLiteral("The image \"%1\" is narrower than %2 pixels")
                                  .arg(path)
                                  .arg(minWidth));
    return image;
}

// Copies i = 0..n of the image at (left + i * step, top), n = span / step truncated toward
// zero: none when n < 0, one when -step < span < step.
void DrawRow(QPainter& painter, const QImage& image, int left, int top, std::int64_t span, int step)
{
    const std::int64_t last = span / step;
    for (std::int64_t i = 0; i <= last; ++i)
        painter.drawImage(QPoint(static_cast<int>(left + i * step), top), image);
}

}  // namespace

TSkinImageError::TSkinImageError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

TGUITools::TGUITools(platform::TPlatform& platform) : Platform(platform) {}

void TGUITools::AddLog(const QString& text)
{
    if (Logging)
        AppendLog(text);
}

void TGUITools::AddLogNumber(std::int32_t value)
{
    if (Logging)
        AppendLog(QString::number(value));
}

void TGUITools::AppendLog(const QString& text)
{
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    const QString stamp = locale.toString(now.date(), QLocale::ShortFormat) + u' '
                        + locale.toString(now.time(), QLocale::LongFormat);
    LogLines << stamp + QLatin1String("   ") + text;
}

void TGUITools::CopyLogToClipboard()
{
    if (!Logging)
        return;
    QString text;
    for (const QString& line : std::as_const(LogLines))
        text += line + QLatin1String("\r\n");
    Platform.SetClipboardText(text);
}

QString TGUITools::GetAppPath() const
{
    return Platform.ProgramFolder();
}

void TGUITools::SetAutoRun(bool enabled)
{
    Platform.SetAutoRun(enabled);
}

void TGUITools::DrawHeaderBar(const QString& programFolder, int paintBoxWidth, QPainter& painter)
{
    // Both images are loaded before anything is drawn, so a failure leaves the box untouched.
    const QImage body = LoadSkinImage(programFolder, QStringLiteral("bk.bmp"), HeaderOverlap + 1);
    const QImage corner = LoadSkinImage(programFolder, QStringLiteral("leftcornor.bmp"), 1);
    painter.drawImage(QPoint(0, 0), corner);
    DrawRow(painter, body, corner.width(), 0, std::int64_t{paintBoxWidth} - corner.width(),
            body.width() - HeaderOverlap);
}

void TGUITools::TileGridBack(const QString& programFolder, const TEdgeRect& rect, QPainter& painter)
{
    const QImage tile = LoadSkinImage(programFolder, QStringLiteral("grdbk.bmp"), 1);
    DrawRow(painter, tile, rect.Left, rect.Top, std::int64_t{rect.Right} - rect.Left, tile.width());
}

void TGUITools::DrawSmoothText(QPainter& painter, const QString& text, const QFont& font, int x,
                               int y)
{
    QFont smooth = font;
    smooth.setStyleStrategy(QFont::PreferAntialias);
    painter.setFont(smooth);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setBackgroundMode(Qt::TransparentMode);
    if (text.isEmpty())
        return;
    const QFontMetrics metrics(smooth, painter.device());
    painter.drawText(x, y + metrics.ascent(), text);
}

}  // namespace orvenna::desktop
