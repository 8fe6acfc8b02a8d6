#include "store/identmaps.h"

namespace orvenna::store {
namespace {

constexpr std::int32_t System(std::uint32_t index)
{
    return static_cast<std::int32_t>(0xFF000000u + index);
}

constexpr TIdentEntry Colors[] = {
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000},
    {"clOlive", 0x008080}, {"clNavy", 0x800000}, {"clPurple", 0x800080},
    {"clTeal", 0x808000}, {"clGray", 0x808080}, {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF}, {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
    {"clActiveBorder", System(10)}, {"clActiveCaption", System(2)},
    {"clAppWorkSpace", System(12)}, {"clBackground", System(1)},
    {"clBtnFace", System(15)}, {"clBtnHighlight", System(20)},
    {"clBtnShadow", System(16)}, {"clBtnText", System(18)},
    {"clCaptionText", System(9)}, {"clGradientActiveCaption", System(27)},
    {"clGradientInactiveCaption", System(28)}, {"clGrayText", System(17)},
    {"clHighlight", System(13)}, {"clHighlightText", System(14)},
    {"clHotLight", System(26)}, {"clInactiveBorder", System(11)},
    {"clInactiveCaption", System(3)}, {"clInactiveCaptionText", System(19)},
    {"clInfoBk", System(24)}, {"clInfoText", System(23)},
    {"clMenu", System(4)}, {"clMenuBar", System(30)},
    {"clMenuHighlight", System(29)}, {"clMenuText", System(7)},
    {"clScrollBar", System(0)}, {"cl3DDkShadow", System(21)},
    {"cl3DLight", System(22)}, {"clWindow", System(5)},
    {"clWindowFrame", System(6)}, {"clWindowText", System(8)},
    {"clDefault", 0x20000000}, {"clNone", 0x1FFFFFFF},
};
static_assert(std::size(Colors) == 52);

constexpr TIdentEntry Charsets[] = {
    {"ANSI_CHARSET", 0}, {"DEFAULT_CHARSET", 1}, {"SYMBOL_CHARSET", 2},
    {"MAC_CHARSET", 77}, {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130}, {"GB2312_CHARSET", 134}, {"CHINESEBIG5_CHARSET", 136},
    {"GREEK_CHARSET", 161}, {"TURKISH_CHARSET", 162}, {"HEBREW_CHARSET", 177},
    {"ARABIC_CHARSET", 178}, {"BALTIC_CHARSET", 186}, {"RUSSIAN_CHARSET", 204},
    {"THAI_CHARSET", 222}, {"EASTEUROPE_CHARSET", 238}, {"OEM_CHARSET", 255},
};
static_assert(std::size(Charsets) == 18);

constexpr char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

const TIdentMap ColorIdents{Colors};
const TIdentMap CharsetIdents{Charsets};

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

std::optional<std::string_view> IntToIdent(TIdentMap map, std::int32_t value)
{
    for (const TIdentEntry& entry : map)
        if (entry.Value == value)
            return entry.Name;
    return std::nullopt;
}

std::optional<std::int32_t> IdentToInt(TIdentMap map, std::string_view name)
{
    for (const TIdentEntry& entry : map)
        if (SameText(entry.Name, name))
            return entry.Value;
    return std::nullopt;
}

}  // namespace orvenna::store
