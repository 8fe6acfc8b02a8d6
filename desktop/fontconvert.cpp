#include "desktop/fontconvert.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace orvenna::desktop {
namespace {

using store::TColor;

struct TSystemRole {
    QPalette::ColorGroup Group;
    QPalette::ColorRole Role;
};

constexpr QPalette::ColorGroup Active = QPalette::Active;

// By theme index 0..30; see the table in the header.
constexpr TSystemRole SystemRoles[] = {
    {Active, QPalette::Window},               // 0 clScrollBar
    {Active, QPalette::Window},               // 1 clBackground
    {Active, QPalette::Highlight},            // 2 clActiveCaption
    {Active, QPalette::Mid},                  // 3 clInactiveCaption
    {Active, QPalette::Window},               // 4 clMenu
    {Active, QPalette::Base},                 // 5 clWindow
    {Active, QPalette::WindowText},           // 6 clWindowFrame
    {Active, QPalette::WindowText},           // 7 clMenuText
    {Active, QPalette::Text},                 // 8 clWindowText
    {Active, QPalette::HighlightedText},      // 9 clCaptionText
    {Active, QPalette::Window},               // 10 clActiveBorder
    {Active, QPalette::Window},               // 11 clInactiveBorder
    {Active, QPalette::Dark},                 // 12 clAppWorkSpace
    {Active, QPalette::Highlight},            // 13 clHighlight
    {Active, QPalette::HighlightedText},      // 14 clHighlightText
    {Active, QPalette::Button},               // 15 clBtnFace
    {Active, QPalette::Dark},                 // 16 clBtnShadow
    {QPalette::Disabled, QPalette::Text},     // 17 clGrayText
    {Active, QPalette::ButtonText},           // 18 clBtnText
    {QPalette::Disabled, QPalette::WindowText},  // 19 clInactiveCaptionText
    {Active, QPalette::Light},                // 20 clBtnHighlight
    {Active, QPalette::Shadow},               // 21 cl3DDkShadow
    {Active, QPalette::Midlight},             // 22 cl3DLight
    {Active, QPalette::ToolTipText},          // 23 clInfoText
    {Active, QPalette::ToolTipBase},          // 24 clInfoBk
    {Active, QPalette::Window},               // 25 has no name
    {Active, QPalette::Link},                 // 26 clHotLight
    {Active, QPalette::Highlight},            // 27 clGradientActiveCaption
    {Active, QPalette::Mid},                  // 28 clGradientInactiveCaption
    {Active, QPalette::Highlight},            // 29 clMenuHighlight
    {Active, QPalette::Window},               // 30 clMenuBar
};

// The pixel size whose line height (ascent plus descent) comes closest to the cell height.
int PixelSizeForCell(QFont font, int cellHeight)
{
    font.setPixelSize(cellHeight);
    const qreal lineHeight = QFontMetricsF(font).height();
    if (lineHeight <= 0)
        return cellHeight;
    const long pixels = std::lround(static_cast<qreal>(cellHeight) * cellHeight / lineHeight);
    return static_cast<int>(std::clamp<long>(pixels, 1, store::MaxFontPixels));
}

}  // namespace

int ScreenPixelsPerInch()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int ppi = screen ? qRound(screen->logicalDotsPerInch()) : 0;
    return ppi > 0 ? ppi : store::DefaultPixelsPerInch;
}

QFont ToQFont(const store::TFont& font)
{
    QFont result;
    result.setFamily(QString::fromStdString(font.Name));
    const bool fixed = font.Pitch == store::fpFixed;
    result.setStyleHint(fixed ? QFont::Monospace : QFont::SansSerif, QFont::PreferAntialias);
    result.setFixedPitch(fixed);
    result.setBold(store::HasStyle(font.Style, store::fsBold));
    result.setItalic(store::HasStyle(font.Style, store::fsItalic));
    result.setUnderline(store::HasStyle(font.Style, store::fsUnderline));
    result.setStrikeOut(store::HasStyle(font.Style, store::fsStrikeOut));
    const std::int32_t height = store::SaneFontHeight(font.Height);
    if (height < 0)
        result.setPixelSize(-height);
    else if (height > 0)
        result.setPixelSize(PixelSizeForCell(result, height));
    return result;
}

void FromQFont(const QFont& source, store::TFont& target)
{
    target.Name = source.family().toStdString();
    if (source.pixelSize() > 0)
        target.Height = -source.pixelSize();
    else if (source.pointSizeF() > 0)
        target.Height = store::SaneFontHeight(
            -std::llround(source.pointSizeF() * target.PixelsPerInch() / 72.0));
    target.Pitch = source.fixedPitch() ? store::fpFixed : store::fpDefault;
    store::TFontStyles style = 0;
    if (source.bold())
        style |= store::StyleBit(store::fsBold);
    if (source.italic())
        style |= store::StyleBit(store::fsItalic);
    if (source.underline())
        style |= store::StyleBit(store::fsUnderline);
    if (source.strikeOut())
        style |= store::StyleBit(store::fsStrikeOut);
    target.Style = style;
}

QColor ToQColor(TColor color, const QPalette& palette)
{
    if (color == store::clNone)
        return QColor(Qt::transparent);
    if (color == store::clDefault)
        return {};
    if (store::IsSystemColor(color)) {
        const auto index = static_cast<std::size_t>(store::SystemColorIndex(color));
        const TSystemRole role = index < std::size(SystemRoles) ? SystemRoles[index]
                                                                : TSystemRole{Active, QPalette::Window};
        return palette.color(role.Group, role.Role);
    }
    const auto bits = static_cast<std::uint32_t>(color);
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

QColor ToQColor(TColor color)
{
    return ToQColor(color, QGuiApplication::palette());
}

TColor FromQColor(const QColor& color)
{
    if (!color.isValid())
        return store::clDefault;
    if (color.alpha() == 0)
        return store::clNone;
    const QColor rgb = color.toRgb();
    return store::MakeColor(rgb.red(), rgb.green(), rgb.blue());
}

}  // namespace orvenna::desktop
