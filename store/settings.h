#pragma once
// The calendar's settings record and the font value it holds twice.
//
// "Setting.cfg" holds one TCalSetting as a component-stream object under the resource name
// "TCalSetting". Its published properties, in stream order (after the component's Tag), are part
// of that format: CanMoved, TitleFont, IsDeskChild, HideInTheTray, SoundFile, SubFont, TitlePic,
// TitleBK, Top, Left. A font streams its Charset, Color, Height, Name, Pitch (only when not
// fpDefault) and Style with dotted paths ("TitleFont.Height"); Size is derived, never written.
// The member initialisers are the creation values.

#include "store/colors.h"
#include "store/filesave.h"
#include "store/properties.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orvenna::store {

// Screen resolution the default font height and the point size are computed for.
inline constexpr int DefaultPixelsPerInch = 96;

// Named font character sets (the full list is CharsetIdents).
inline constexpr std::uint8_t ANSI_CHARSET = 0;
inline constexpr std::uint8_t DEFAULT_CHARSET = 1;
inline constexpr std::uint8_t SYMBOL_CHARSET = 2;

enum TFontPitch : std::int32_t { fpDefault = 0, fpVariable, fpFixed };

enum TFontStyle : std::int32_t { fsBold = 0, fsItalic, fsUnderline, fsStrikeOut };
// A set of TFontStyle: bit n holds the style of ordinal n.
using TFontStyles = std::uint8_t;

constexpr TFontStyles StyleBit(TFontStyle style)
{
    return static_cast<TFontStyles>(1u << style);
}

constexpr bool HasStyle(TFontStyles styles, TFontStyle style)
{
    return (styles & StyleBit(style)) != 0;
}

// value x numerator / denominator, the product taken in 64 bits, rounded to the nearest
// integer with halves away from zero. -1 when denominator is 0 or the result does not fit in
// an int, as the system call of that name answers. The program's one rounded scaling rule.
int MulDiv(int value, int numerator, int denominator);

// The face name of a new font. A file cannot hold an empty face name (an empty text is not
// written), so an empty one read from a file is taken as this name.
inline constexpr const char* DefaultFontName = "MS Sans Serif";

// The largest font height, in pixels either sign, that a font is drawn with or set to.
inline constexpr int MaxFontPixels = 500;

// A font height brought into 1..MaxFontPixels pixels, keeping its sign; 0 (the face's default
// size) stays 0. Any value a file holds gives a readable font this way.
std::int32_t SaneFontHeight(std::int64_t height);

// The class library's default font height for a screen: -(8 x ppi / 72) rounded, -11 at 96.
constexpr std::int32_t DefaultFontHeight(int pixelsPerInch)
{
    return -((8 * pixelsPerInch + 36) / 72);
}

// A font as the files keep it. Height is in pixels: negative for the character height (the em
// size), positive for the cell height (character plus internal leading), 0 for the face's
// default size. The pixels per inch of the screen only convert between Height and Size.
class TFont final : public TPersistent {
public:
    // pixelsPerInch below 1 is taken as DefaultPixelsPerInch.
    explicit TFont(int pixelsPerInch = DefaultPixelsPerInch);
    TFont(const TFont&) = default;
    TFont& operator=(const TFont&) = default;

    const TClassInfo& ClassInfo() const override;

    // Copies every stored attribute from another TFont (this font keeps its pixels per inch).
    // Any other source fails with EConvertError "Cannot assign a <source> to a TFont".
    void CopyFrom(const TPersistent& source);

    // Point size: -Height x 72 / ppi rounded (so a positive cell height gives a negative size).
    int Size() const;
    // Sets Height to -(size x ppi / 72) rounded, brought into the sane range (SaneFontHeight).
    void SetSize(int size);
    int PixelsPerInch() const { return Ppi; }

    bool operator==(const TFont& other) const;

    std::uint8_t Charset = DEFAULT_CHARSET;  // written by name when CharsetIdents has one
    TColor Color = clWindowText;
    std::int32_t Height = DefaultFontHeight(DefaultPixelsPerInch);
    std::string Name = DefaultFontName;
    TFontPitch Pitch = fpDefault;
    TFontStyles Style = 0;

private:
    int Ppi = DefaultPixelsPerInch;
};

// The settings record of the calendar; owns its two fonts.
class TCalSetting final : public TComponent {
public:
    explicit TCalSetting(int pixelsPerInch = DefaultPixelsPerInch);
    TCalSetting(const TCalSetting&) = delete;
    TCalSetting& operator=(const TCalSetting&) = delete;

    const TClassInfo& ClassInfo() const override;

    // Copies every property from another TCalSetting, the fonts by their own copy. Any other
    // source fails with EConvertError "Cannot assign a <source> to a TCalSetting".
    void CopyFrom(const TPersistent& source);

    // Reads the file's one object into this record; properties the file does not hold keep their
    // values. Throws EFileError "Cannot open file "<name>". <system error>" when it cannot be
    // opened, and the reader's EReadError (stream.h) when the content is not a valid settings
    // object; a failed read leaves the properties read before the failure changed.
    void LoadFromFile(const std::string& fileName);
    // Writes the record crash-safely: on failure the old file stays as it was. Throws EFileError
    // "Cannot create file "<name>". <system error>" or EWriteError "Stream write error".
    void SaveToFile(const std::string& fileName) const;

    // The file's bytes: resource header "TCALSETTING" and the object stream.
    std::string SaveToBytes() const;
    // Reads file bytes as LoadFromFile does; bytes after the object are ignored.
    void LoadFromBytes(std::string_view bytes);

    // Equal values in every property, fonts included.
    bool operator==(const TCalSetting& other) const;

    bool CanMoved = false;
    TFont TitleFont;
    bool IsDeskChild = false;  // run at log-on
    bool HideInTheTray = false;
    std::string SoundFile;  // path of the alert sound; empty for none
    TFont SubFont;
    std::string TitlePic;  // path of the title picture; empty for a transparent title
    TColor TitleBK = clBlack;  // stored and copied only
    std::int32_t Top = 0;  // saved window position in screen pixels; 0, 0 for none
    std::int32_t Left = 0;
};

// Loads the program's settings file into the record, starting from the creation values: a
// missing file leaves them all. A file that does not read whole (the reader fails, or bytes
// follow the settings object) keeps every value read completely before the damage and the
// creation values for the rest, and is copied aside at once (SaveDamagedCopy), before anything
// can write over it; the result tells the error and the copy. Throws EFileError "Cannot open
// file ..." when the file exists but cannot be read.
TDamagedLoad LoadSettingsFile(TCalSetting& settings, const std::string& fileName);

}  // namespace orvenna::store
