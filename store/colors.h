#pragma once
// Colours as the files keep them: 32 bits with red in the low byte, green in the second and blue
// in the third byte. A top byte of 0xFF marks a system colour whose low byte is the index of a
// colour of the desktop theme; clNone and clDefault are markers, not colours.

#include <cstdint>

namespace orvenna::store {

using TColor = std::int32_t;

// The colour with these components, each 0..255.
constexpr TColor MakeColor(int red, int green, int blue)
{
    return static_cast<TColor>(static_cast<std::uint32_t>(red & 0xFF) |
                               static_cast<std::uint32_t>(green & 0xFF) << 8 |
                               static_cast<std::uint32_t>(blue & 0xFF) << 16);
}

// The system colour of that theme index.
constexpr TColor SystemColor(int index)
{
    return static_cast<TColor>(0xFF000000u | static_cast<std::uint32_t>(index & 0xFF));
}

constexpr bool IsSystemColor(TColor color)
{
    return (static_cast<std::uint32_t>(color) & 0xFF000000u) == 0xFF000000u;
}

// Theme index of a system colour.
constexpr int SystemColorIndex(TColor color)
{
    return static_cast<int>(static_cast<std::uint32_t>(color) & 0xFFu);
}

inline constexpr TColor clBlack = MakeColor(0x00, 0x00, 0x00);
inline constexpr TColor clMaroon = MakeColor(0x80, 0x00, 0x00);
inline constexpr TColor clGreen = MakeColor(0x00, 0x80, 0x00);
inline constexpr TColor clOlive = MakeColor(0x80, 0x80, 0x00);
inline constexpr TColor clNavy = MakeColor(0x00, 0x00, 0x80);
inline constexpr TColor clPurple = MakeColor(0x80, 0x00, 0x80);
inline constexpr TColor clTeal = MakeColor(0x00, 0x80, 0x80);
inline constexpr TColor clGray = MakeColor(0x80, 0x80, 0x80);
inline constexpr TColor clSilver = MakeColor(0xC0, 0xC0, 0xC0);
inline constexpr TColor clRed = MakeColor(0xFF, 0x00, 0x00);
inline constexpr TColor clLime = MakeColor(0x00, 0xFF, 0x00);
inline constexpr TColor clYellow = MakeColor(0xFF, 0xFF, 0x00);
inline constexpr TColor clBlue = MakeColor(0x00, 0x00, 0xFF);
inline constexpr TColor clFuchsia = MakeColor(0xFF, 0x00, 0xFF);
inline constexpr TColor clAqua = MakeColor(0x00, 0xFF, 0xFF);
inline constexpr TColor clWhite = MakeColor(0xFF, 0xFF, 0xFF);
inline constexpr TColor clMoneyGreen = MakeColor(0xC0, 0xDC, 0xC0);
inline constexpr TColor clSkyBlue = MakeColor(0xA6, 0xCA, 0xF0);
inline constexpr TColor clCream = MakeColor(0xFF, 0xFB, 0xF0);
inline constexpr TColor clMedGray = MakeColor(0xA0, 0xA0, 0xA4);

inline constexpr TColor clScrollBar = SystemColor(0);
inline constexpr TColor clBackground = SystemColor(1);
inline constexpr TColor clActiveCaption = SystemColor(2);
inline constexpr TColor clInactiveCaption = SystemColor(3);
inline constexpr TColor clMenu = SystemColor(4);
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowFrame = SystemColor(6);
inline constexpr TColor clMenuText = SystemColor(7);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clCaptionText = SystemColor(9);
inline constexpr TColor clActiveBorder = SystemColor(10);
inline constexpr TColor clInactiveBorder = SystemColor(11);
inline constexpr TColor clAppWorkSpace = SystemColor(12);
inline constexpr TColor clHighlight = SystemColor(13);
inline constexpr TColor clHighlightText = SystemColor(14);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clGrayText = SystemColor(17);
inline constexpr TColor clBtnText = SystemColor(18);
inline constexpr TColor clInactiveCaptionText = SystemColor(19);
inline constexpr TColor clBtnHighlight = SystemColor(20);
inline constexpr TColor cl3DDkShadow = SystemColor(21);
inline constexpr TColor cl3DLight = SystemColor(22);
inline constexpr TColor clInfoText = SystemColor(23);
inline constexpr TColor clInfoBk = SystemColor(24);
inline constexpr TColor clHotLight = SystemColor(26);
inline constexpr TColor clGradientActiveCaption = SystemColor(27);
inline constexpr TColor clGradientInactiveCaption = SystemColor(28);
inline constexpr TColor clMenuHighlight = SystemColor(29);
inline constexpr TColor clMenuBar = SystemColor(30);

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

}  // namespace orvenna::store
