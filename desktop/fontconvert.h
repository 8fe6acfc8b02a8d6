#pragma once
// The settings record's fonts and colours in Qt's terms, both ways.
//
// Fonts: a negative stored height is the character height in pixels and becomes Qt's pixel size
// (the em size); a positive height is the cell height (character plus internal leading) and
// becomes the pixel size whose line height fits that cell; 0 keeps the application font's size.
// Heights beyond store::MaxFontPixels either way are taken as that many pixels.
// The character set does not choose a face: Qt finds glyphs for every character by fallback.
// A face that is not installed (such as the default "MS Sans Serif") falls back to the system's
// sans-serif face, or its monospace face for a fixed pitch.
//
// Colours: red is in the low byte. System colours (0xFF000000 + theme index) take the palette's
// colour of the matching role:
//
//   clScrollBar, clActiveBorder, clInactiveBorder, clMenu, clMenuBar,
//   clBackground, index 25 and any other index          Window
//   clActiveCaption, clHighlight, clMenuHighlight,
//   clGradientActiveCaption                               Highlight
//   clInactiveCaption, clGradientInactiveCaption          Mid
//   clCaptionText, clHighlightText                        HighlightedText
//   clWindow                                              Base
//   clWindowText                                          Text
//   clWindowFrame, clMenuText                             WindowText
//   clAppWorkSpace, clBtnShadow                           Dark
//   clBtnFace                                             Button
//   clBtnText                                             ButtonText
//   clBtnHighlight                                        Light
//   cl3DLight                                             Midlight
//   cl3DDkShadow                                          Shadow
//   clGrayText, clInactiveCaptionText                     Text, WindowText of the Disabled group
//   clInfoBk                                              ToolTipBase
//   clInfoText                                            ToolTipText
//   clHotLight                                            Link
//
// Roles are taken from the Active group unless named otherwise. clNone is fully transparent and
// clDefault is an invalid QColor (the widget's own colour applies); any other value is its low
// 24 bits as RGB.

#include "store/settings.h"

#include <QColor>
#include <QFont>
#include <QPalette>

namespace orvenna::desktop {

// The primary screen's logical dots per inch, rounded: what a new settings record's default
// font height is worked out for. store::DefaultPixelsPerInch without a screen.
int ScreenPixelsPerInch();

// The Qt font of a stored font, antialiasing preferred.
QFont ToQFont(const store::TFont& font);

// Writes the face name, the height (minus the pixel size, or the point size converted at the
// target's pixels per inch), the styles and the pitch (fixed or default) of a Qt font into a
// stored font. Charset and Color stay as they were: a QFont has neither.
void FromQFont(const QFont& source, store::TFont& target);

// The colour to draw a stored colour with; system colours follow the palette (see above).
QColor ToQColor(store::TColor color, const QPalette& palette);
// The same with the application's palette.
QColor ToQColor(store::TColor color);

// The stored colour of a Qt colour: its RGB with red in the low byte, alpha dropped. An invalid
// colour gives clDefault and a fully transparent one clNone.
store::TColor FromQColor(const QColor& color);

}  // namespace orvenna::desktop
