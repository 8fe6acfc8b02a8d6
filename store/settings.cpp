#include "store/settings.h"

#include "store/bytecursor.h"
#include "store/daypapers.h"
#include "store/errors.h"
#include "store/filesave.h"
#include "store/stream.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
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

// The face name; an empty one reads as the default face, the name a save and load would give.
constexpr TPropInfo FontNameProp()
{
    TPropInfo p = Text<&TFont::Name>("Name");
    p.SetText = [](TPersistent& o, std::string&& v) {
        static_cast<TFont&>(o).Name = v.empty() ? std::string(DefaultFontName) : std::move(v);
    };
    return p;
}

constexpr TPropInfo FontProps[] = {
    Integer<&TFont::Charset>("Charset", &CharsetIdents),
    Integer<&TFont::Color>("Color", &ColorIdents),
    Integer<&TFont::Height>("Height"),
    FontNameProp(),
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

namespace {

// value x numerator / denominator rounded to the nearest integer, halves away from zero, in 64
// bits: exact for any 32-bit value, numerator and non-zero denominator.
long long MulDiv64(long long value, long long numerator, long long denominator)
{
    const long long product = value * numerator;
    const long long magnitude = (std::llabs(product) + std::llabs(denominator) / 2) /
                                std::llabs(denominator);
    return (product < 0) != (denominator < 0) ? -magnitude : magnitude;
}

}  // namespace

int MulDiv(int value, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const long long result = MulDiv64(value, numerator, denominator);
    if (result < std::numeric_limits<int>::min() || result > std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(result);
}

std::int32_t SaneFontHeight(std::int64_t height)
{
    if (height == 0)
        return 0;
    const std::int64_t magnitude = std::clamp<std::int64_t>(height < 0 ? -height : height, 1,
                                                            MaxFontPixels);
    return static_cast<std::int32_t>(height < 0 ? -magnitude : magnitude);
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
    const long long size = -MulDiv64(Height, 72, Ppi);
    return static_cast<int>(std::clamp<long long>(size, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

void TFont::SetSize(int size)
{
    Height = SaneFontHeight(-MulDiv64(size, Ppi, 72));
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

TDamagedLoad LoadSettingsFile(TCalSetting& settings, const std::string& fileName)
{
    TCalSetting fresh(settings.TitleFont.PixelsPerInch());
    std::error_code missing;
    if (!std::filesystem::exists(fileName, missing) && !missing) {
        settings.CopyFrom(fresh);
        return {};
    }
    const std::string bytes = ReadWholeFile(fileName);
    std::string error;
    TByteReader in(bytes);
    try {
        ReadStreamObject(in, fresh);
        if (in.Position() < bytes.size())
            error = std::to_string(bytes.size() - in.Position()) +
                    " bytes after the settings were left unread";
    } catch (const EStoreError& failure) {
        error = failure.Text();
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    settings.CopyFrom(fresh);
    if (error.empty())
        return {};
    return KeepDamaged(fileName, bytes, std::move(error));
}

}  // namespace orvenna::store
