#include "store/settings.h"

#include "store/bytecursor.h"
#include "store/daypapers.h"
#include "store/errors.h"
#include "store/filesave.h"
#include "store/stream.h"

#include <cstdlib>
#include <limits>

namespace orvenna::store {
namespace {

using namespace props;

constexpr std::string_view PitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};
constexpr std::string_view StyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

// Size is published but not stored: a file that holds it anyway sets the height through it.
constexpr TPropInfo SizeProp()
{
    TPropInfo p{.Name = "Size", .Kind = TPropKind::Integer, .Stored = false};
    p.GetOrd = [](const TPersistent& o) -> std::int64_t {
        return static_cast<const TFont&>(o).Size();
    };
    p.SetOrd = [](TPersistent& o, std::int64_t v) {
        static_cast<TFont&>(o).SetSize(static_cast<int>(v));
    };
    return p;
}

constexpr TPropInfo FontProps[] = {
    Integer<&TFont::Charset>("Charset", &CharsetIdents),
    Integer<&TFont::Color>("Color", &ColorIdents),
    Integer<&TFont::Height>("Height"),
    Text<&TFont::Name>("Name"),
    WithDefault(Enumeration<&TFont::Pitch>("Pitch", PitchNames), fpDefault),
    SizeProp(),
    Set<&TFont::Style>("Style", StyleNames),
};

constexpr TPropInfo SettingProps[] = {
    Boolean<&TCalSetting::CanMoved>("CanMoved"),
    Object<&TCalSetting::TitleFont>("TitleFont"),
    Boolean<&TCalSetting::IsDeskChild>("IsDeskChild"),
    Boolean<&TCalSetting::HideInTheTray>("HideInTheTray"),
    Text<&TCalSetting::SoundFile>("SoundFile"),
    Object<&TCalSetting::SubFont>("SubFont"),
    Text<&TCalSetting::TitlePic>("TitlePic"),
    Integer<&TCalSetting::TitleBK>("TitleBK", &ColorIdents),
    Integer<&TCalSetting::Top>("Top"),
    Integer<&TCalSetting::Left>("Left"),
};

const TClassInfo FontInfo{"TFont", nullptr, FontProps};
const TClassInfo CalSettingInfo{"TCalSetting", &ComponentClassInfo, SettingProps};

}  // namespace

int MulDiv(int value, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const long long product = static_cast<long long>(value) * numerator;
    const long long magnitude = (std::llabs(product) + std::llabs(denominator) / 2) /
                                std::llabs(denominator);
    const long long result = (product < 0) != (denominator < 0) ? -magnitude : magnitude;
    if (result < std::numeric_limits<int>::min() || result > std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(result);
}

// ---------------------------------------------------------------------------------------------

TFont::TFont(int pixelsPerInch)
    : Height(DefaultFontHeight(pixelsPerInch > 0 ? pixelsPerInch : DefaultPixelsPerInch)),
      Ppi(pixelsPerInch > 0 ? pixelsPerInch : DefaultPixelsPerInch)
{
}

const TClassInfo& TFont::ClassInfo() const
{
    return FontInfo;
}

void TFont::CopyFrom(const TPersistent& source)
{
    const TFont& other = AssignSource(source, *this);
    const int ppi = Ppi;
    *this = other;
    Ppi = ppi;
}

int TFont::Size() const
{
    return -MulDiv(Height, 72, Ppi);
}

void TFont::SetSize(int size)
{
    Height = -MulDiv(size, Ppi, 72);
}

bool TFont::operator==(const TFont& other) const
{
    return Charset == other.Charset && Color == other.Color && Height == other.Height &&
           Name == other.Name && Pitch == other.Pitch && Style == other.Style;
}

// ---------------------------------------------------------------------------------------------

TCalSetting::TCalSetting(int pixelsPerInch) : TitleFont(pixelsPerInch), SubFont(pixelsPerInch) {}

const TClassInfo& TCalSetting::ClassInfo() const
{
    return CalSettingInfo;
}

void TCalSetting::CopyFrom(const TPersistent& source)
{
    const TCalSetting& other = AssignSource(source, *this);
    CanMoved = other.CanMoved;
    TitleFont.CopyFrom(other.TitleFont);
    SubFont.CopyFrom(other.SubFont);
    TitlePic = other.TitlePic;
    TitleBK = other.TitleBK;
    IsDeskChild = other.IsDeskChild;
    HideInTheTray = other.HideInTheTray;
    SoundFile = other.SoundFile;
    Top = other.Top;
    Left = other.Left;
}

void TCalSetting::LoadFromFile(const std::string& fileName)
{
    LoadFromBytes(ReadWholeFile(fileName));
}

void TCalSetting::SaveToFile(const std::string& fileName) const
{
    SaveFileAtomically(fileName, SaveToBytes());
}

std::string TCalSetting::SaveToBytes() const
{
    std::string bytes;
    TByteWriter out(bytes);
    WriteStreamObject(out, ClassName(), *this);
    return bytes;
}

void TCalSetting::LoadFromBytes(std::string_view bytes)
{
    TByteReader in(bytes);
    ReadStreamObject(in, *this);
}

bool TCalSetting::operator==(const TCalSetting& other) const
{
    return CanMoved == other.CanMoved && TitleFont == other.TitleFont &&
           IsDeskChild == other.IsDeskChild && HideInTheTray == other.HideInTheTray &&
           SoundFile == other.SoundFile && SubFont == other.SubFont && TitlePic == other.TitlePic &&
           TitleBK == other.TitleBK && Top == other.Top && Left == other.Left;
}

}  // namespace orvenna::store
