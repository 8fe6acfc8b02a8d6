// The settings record: its file byte for byte, round trips, partial and failed loads and saves,
// and the font's height arithmetic.

#include "store/daypapers.h"
#include "store/settings.h"
#include "tests/store/streamtesting.h"

#include <gtest/gtest.h>

#include <limits>

#include <filesystem>

namespace orvenna::store {
namespace {

using namespace orvenna::store::testing;

const std::string DefaultFile = std::string(ORVENNA_TEST_DATA) + "/default_settings.cfg";

// A record whose properties differ from the creation values, but for the window's Top of 0.
void ChangeEverything(TCalSetting& setting)
{
    setting.CanMoved = true;
    setting.TitleFont.Charset = 7;
    setting.TitleFont.Color = 0x00336699;
    setting.TitleFont.Height = 20;
    setting.TitleFont.Name = "DejaVu Sans Mono";
    setting.TitleFont.Pitch = fpFixed;
    setting.TitleFont.Style = StyleBit(fsBold) | StyleBit(fsItalic);
    setting.IsDeskChild = true;
    setting.HideInTheTray = true;
    setting.SoundFile = "/home/zoë/sounds/" + std::string(300, 'b') + ".wav";
    setting.SubFont.Charset = 204;
    setting.SubFont.Color = clRed;
    setting.SubFont.Height = -16;
    setting.SubFont.Name = "Noto Serif";
    setting.SubFont.Pitch = fpVariable;
    setting.SubFont.Style = StyleBit(fsUnderline) | StyleBit(fsStrikeOut);
    setting.TitlePic = "/pictures/title.bmp";
    setting.TitleBK = clHighlight;
    setting.Top = 0;
    setting.Left = -5;
}

TEST(Settings, CreationValuesAreTheDefaultFileByteForByte)
{
    const std::string file = ReadBytes(DefaultFile);
    ASSERT_EQ(file.size(), 362u);
    EXPECT_EQ(TCalSetting().SaveToBytes(), file);

    TCalSetting read;
    ChangeEverything(read);
    read.SoundFile.clear();
    read.TitlePic.clear();
    read.TitleFont.Pitch = fpDefault;
    read.SubFont.Pitch = fpDefault;
    read.LoadFromFile(DefaultFile);
    EXPECT_TRUE(read == TCalSetting());
}

TEST(Settings, ChangedRecordSurvivesSaveAndLoad)
{
    TTempFolder folder;
    const std::string file = folder.File("Setting.cfg");
    TCalSetting setting;
    ChangeEverything(setting);
    setting.SaveToFile(file);

    const std::string bytes = ReadBytes(file);
    for (const std::string& record : {
             Short("TitleFont.Charset") + Hex("02 07"),
             Short("TitleFont.Color") + Hex("04 99 66 33 00"),
             Short("TitleFont.Pitch") + Ident("fpFixed"),
             Short("SubFont.Charset") + Ident("RUSSIAN_CHARSET"),
             Short("SubFont.Color") + Ident("clRed"),
             Short("SubFont.Pitch") + Ident("fpVariable"),
             Short("TitleBK") + Ident("clHighlight"),
             Short("Top") + Hex("02 00"),
             Short("Left") + Hex("02 FB"),
         })
        EXPECT_NE(bytes.find(record), std::string::npos) << record;
    EXPECT_EQ(bytes.find("Size"), std::string::npos);

    TCalSetting read;
    read.LoadFromFile(file);
    EXPECT_TRUE(read == setting);
    EXPECT_EQ(read.SaveToBytes(), bytes);
}

TEST(Settings, StylesAreWrittenAsSetsInBitOrder)
{
    const struct {
        TFontStyles Style;
        std::string Record;
    } cases[] = {
        {0, Hex("0B 00")},
        {StyleBit(fsItalic) | StyleBit(fsBold), Hex("0B") + Short("fsBold") + Short("fsItalic") + Hex("00")},
        {StyleBit(fsStrikeOut) | StyleBit(fsBold) | StyleBit(fsUnderline) | StyleBit(fsItalic),
         Hex("0B") + Short("fsBold") + Short("fsItalic") + Short("fsUnderline") +
             Short("fsStrikeOut") + Hex("00")},
    };
    for (const auto& c : cases) {
        TCalSetting setting;
        setting.SubFont.Style = c.Style;
        const std::string bytes = setting.SaveToBytes();
        EXPECT_NE(bytes.find(Short("SubFont.Style") + c.Record), std::string::npos) << int(c.Style);
        TCalSetting read;
        read.SubFont.Style = StyleBit(fsUnderline);
        read.LoadFromBytes(bytes);
        EXPECT_EQ(read.SubFont.Style, c.Style);
    }
}

TEST(Settings, AbsentPropertiesKeepTheirValues)
{
    TCalSetting setting;
    setting.SoundFile = "/sounds/bell.wav";
    setting.TitlePic = "/pictures/title.bmp";
    setting.SubFont.Pitch = fpFixed;
    setting.Tag = 4;
    setting.LoadFromBytes(ObjectBytes("TCalSetting", Short("Top") + Hex("02 07")));
    EXPECT_EQ(setting.SoundFile, "/sounds/bell.wav");
    EXPECT_EQ(setting.TitlePic, "/pictures/title.bmp");
    EXPECT_EQ(setting.SubFont.Pitch, fpFixed);
    EXPECT_EQ(setting.Tag, 4);
    EXPECT_EQ(setting.Top, 7);
}

TEST(Settings, FailedLoadKeepsWhatWasReadBeforeIt)
{
    const struct {
        std::string Records;
        std::string Message;
    } cases[] = {
        {Short("CanMoved") + Hex("09") + Short("SoundFil") + Hex("06") + Short("x.wav") +
             Short("Top") + Hex("02 07"),
         "Error reading TCalSetting.SoundFil: Property SoundFil does not exist"},
        {Short("CanMoved") + Hex("09") + Short("TitleFont.Colour") + Ident("clRed") +
             Short("Top") + Hex("02 07"),
         "Error reading TCalSetting.TitleFont.Colour: Property Colour does not exist"},
        {Short("CanMoved") + Hex("09") + Short("SubFont.Pitch") + Ident("fpWide"),
         "Error reading TCalSetting.SubFont.Pitch: Invalid property value"},
        {Short("CanMoved") + Hex("09") + Short("TitleBK") + Ident("clSunset"),
         "Error reading TCalSetting.TitleBK: Invalid property value"},
        {Short("CanMoved") + Hex("09") + Short("SoundFile.Name") + Hex("06") + Short("x"),
         "Error reading TCalSetting.SoundFile.Name: Invalid property path"},
    };
    for (const auto& c : cases) {
        TCalSetting setting;
        setting.Top = 3;
        EXPECT_EQ(ReadMessage(ObjectBytes("TCalSetting", c.Records), setting), c.Message);
        EXPECT_TRUE(setting.CanMoved) << c.Message;
        EXPECT_EQ(setting.Top, 3) << c.Message;
    }

    // A file cut short: the records before the cut are kept.
    const std::string file = ReadBytes(DefaultFile);
    TCalSetting setting;
    ChangeEverything(setting);
    EXPECT_THROW(setting.LoadFromBytes(file.substr(0, 200)), EReadError);
    EXPECT_FALSE(setting.CanMoved);
    EXPECT_EQ(setting.TitleFont.Style, 0);
    EXPECT_EQ(setting.TitleFont.Pitch, fpFixed);  // the default pitch is not in the file
    EXPECT_TRUE(setting.HideInTheTray);
    EXPECT_EQ(setting.SubFont.Name, "Noto Serif");
    EXPECT_EQ(setting.Left, -5);
}

TEST(Settings, TheProgramsLoadKeepsWhatReadAndACopyOfADamagedFile)
{
    TCalSetting changed;
    ChangeEverything(changed);
    const std::string full = changed.SaveToBytes();
    const std::size_t subFontName = full.find("SubFont.Name");
    // What a load of the file cut in the sub font's name keeps: the values before the cut, the
    // creation values after it.
    TCalSetting cut;
    cut.CopyFrom(changed);
    cut.SubFont.Name = DefaultFontName;
    cut.SubFont.Pitch = fpDefault;
    cut.SubFont.Style = 0;
    cut.TitlePic.clear();
    cut.TitleBK = clBlack;
    cut.Left = 0;
    const TCalSetting creation;
    const struct {
        const char* Case;
        std::string Bytes;
        std::string Error;
        const TCalSetting& Kept;
    } cases[] = {
        {"whole", full, "", changed},
        {"cut in the sub font's name", full.substr(0, subFontName + 15),
         "Error reading TCalSetting.SubFont.Name: Stream read error", cut},
        {"bytes after the settings", full + "tail", "4 bytes after the settings were left unread",
         changed},
        {"another file", "Orvenna alerts 1\nEnd\n", "Invalid stream format", creation},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        TTempFolder folder;
        const std::string file = folder.File("Setting.cfg");
        WriteBytes(file, c.Bytes);
        TCalSetting setting;
        setting.Top = 99;  // a value from before: the load starts from the creation values
        const TDamagedLoad damage = LoadSettingsFile(setting, file);
        EXPECT_EQ(damage.Error, c.Error);
        EXPECT_TRUE(setting == c.Kept);
        if (damage.Damaged()) {
            EXPECT_EQ(damage.Copy.rfind(file + ".damaged-", 0), 0u) << damage.Copy;
            EXPECT_EQ(ReadBytes(damage.Copy), c.Bytes);
        } else {
            EXPECT_EQ(damage.Copy, "");
        }
        EXPECT_EQ(ReadBytes(file), c.Bytes);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}),
                  damage.Damaged() ? 2 : 1);
    }
    TTempFolder empty;
    TCalSetting setting;
    setting.CanMoved = true;
    EXPECT_FALSE(LoadSettingsFile(setting, empty.File("Setting.cfg")).Damaged());
    EXPECT_TRUE(setting == creation);
}

TEST(Settings, FileFailuresCarryTheFileName)
{
    TTempFolder folder;
    const std::string missing = folder.File("none/Setting.cfg");
    TCalSetting setting;
    try {
        setting.LoadFromFile(missing);
        ADD_FAILURE();
    } catch (const EFileError& error) {
        EXPECT_EQ(error.Text(), "Cannot open file \"" + missing + "\". No such file or directory");
    }
    try {
        setting.SaveToFile(missing);
        ADD_FAILURE();
    } catch (const EFileError& error) {
        EXPECT_EQ(error.Text(), "Cannot create file \"" + missing + "\". No such file or directory");
    }
}

TEST(Settings, FailedSaveKeepsTheOldFile)
{
    TTempFolder folder;
    const std::string file = folder.File("Setting.cfg");
    WriteBytes(file, ReadBytes(DefaultFile));
    TCalSetting setting;
    ChangeEverything(setting);
    ExpectFailedSaveKeepsTheFile(folder, file, 100,
                                 [&](const std::string& path) { setting.SaveToFile(path); });
}

TEST(Settings, CopyFromCopiesEveryPropertyFromASettingOnly)
{
    TCalSetting source;
    ChangeEverything(source);
    source.Top = 37;  // 0 is also the creation value: a dropped Top would go unseen
    TCalSetting target;
    target.CopyFrom(source);
    EXPECT_TRUE(target == source);
    EXPECT_EQ(target.Top, 37);

    TDayPaper paper;
    try {
        target.CopyFrom(paper);
        ADD_FAILURE();
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Text(), "Cannot assign a TDayPaper to a TCalSetting");
    }
    try {
        target.TitleFont.CopyFrom(target);
        ADD_FAILURE();
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Text(), "Cannot assign a TCalSetting to a TFont");
    }
}

TEST(Settings, FontHeightFollowsThePixelsPerInch)
{
    const struct {
        int Ppi;
        int DefaultHeight;
        int HeightOf12Points;
    } cases[] = {{96, -11, -16}, {72, -8, -12}, {120, -13, -20}, {144, -16, -24}, {0, -11, -16}};
    for (const auto& c : cases) {
        TCalSetting setting(c.Ppi);
        EXPECT_EQ(setting.TitleFont.Height, c.DefaultHeight) << c.Ppi;
        EXPECT_EQ(setting.SubFont.Height, c.DefaultHeight) << c.Ppi;
        EXPECT_EQ(setting.TitleFont.Size(), 8) << c.Ppi;
        setting.TitleFont.SetSize(12);
        EXPECT_EQ(setting.TitleFont.Height, c.HeightOf12Points) << c.Ppi;
    }

    // Size is never written but a file that holds it sets the height.
    TCalSetting setting;
    setting.LoadFromBytes(ObjectBytes("TCalSetting", Short("TitleFont.Size") + Hex("02 0C")));
    EXPECT_EQ(setting.TitleFont.Height, -16);
}

TEST(Settings, HostileSizesAndHeightsStayInRange)
{
    constexpr int Min = std::numeric_limits<int>::min();
    constexpr int Max = std::numeric_limits<int>::max();
    const struct {
        int Ppi;
        int Size;
        int Height;  // after SetSize
    } cases[] = {
        {96, 1610612736, -500}, {96, -1610612736, 500}, {96, Max, -500}, {96, Min, 500},
        {96, 375, -500},        {96, 376, -500},        {96, 374, -499}, {96, 0, 0},
        {1, 1, 0},              {1, -1, 0},             {1000, 1, -14},
    };
    for (const auto& c : cases) {
        TFont font(c.Ppi);
        font.SetSize(c.Size);
        EXPECT_EQ(font.Height, c.Height) << c.Ppi << " " << c.Size;
    }

    // The size of any stored height is computed without overflow.
    const struct {
        int Ppi;
        int Height;
        int Size;
    } heights[] = {{96, Min, 1610612736}, {96, Max, -1610612735}, {1, Min, Max}, {1, Max, Min}};
    for (const auto& c : heights) {
        TFont font(c.Ppi);
        font.Height = c.Height;
        EXPECT_EQ(font.Size(), c.Size) << c.Ppi << " " << c.Height;
    }

    // A stored Size sets a sane height.
    TCalSetting setting;
    setting.LoadFromBytes(ObjectBytes("TCalSetting", Short("TitleFont.Size") + Hex("04 00 00 00 A0")));
    EXPECT_EQ(setting.TitleFont.Height, 500);
}

TEST(Settings, WhatALoadReadsSavesAndLoadsTheSame)
{
    // Inputs the settings fuzzer's round trip (load, save, load again) once stopped at.
    const std::string inputs[] = {
        // An empty face name, which a save cannot write: read as the default face.
        ObjectBytes("TCalSetting", Short("TitleFont.Name") + Hex("06 00") + Short("Top") + Hex("02 03")),
        ObjectBytes("TCalSetting", Short("SubFont.Name") + Hex("14 00 00 00 00")),
        // A face name that is not UTF-8.
        ObjectBytes("TCalSetting", Short("SubFont.Name") + Hex("14 03 00 00 00 41 FF 42")),
    };
    for (const std::string& input : inputs) {
        TCalSetting first;
        first.TitleFont.Name = "DejaVu Sans";
        first.SubFont.Name = "DejaVu Sans";
        first.LoadFromBytes(input);
        EXPECT_NE(first.TitleFont.Name, "");
        EXPECT_NE(first.SubFont.Name, "");
        TCalSetting second;
        second.LoadFromBytes(first.SaveToBytes());
        EXPECT_TRUE(second == first) << first.TitleFont.Name << " / " << first.SubFont.Name;
    }
}

TEST(Settings, NamedColoursAreTheStreamsNames)
{
    const struct {
        TColor Color;
        std::string_view Name;
    } cases[] = {
        {clBlack, "clBlack"},       {clMaroon, "clMaroon"},   {clNavy, "clNavy"},
        {clSkyBlue, "clSkyBlue"},   {clCream, "clCream"},     {clMedGray, "clMedGray"},
        {clMoneyGreen, "clMoneyGreen"}, {clScrollBar, "clScrollBar"}, {clWindowText, "clWindowText"},
        {clMenuBar, "clMenuBar"},   {clNone, "clNone"},       {clDefault, "clDefault"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IdentToInt(ColorIdents, c.Name), c.Color) << c.Name;
    EXPECT_EQ(static_cast<std::uint32_t>(clWindowText), 4278190088u);
}

// The one rounded scaling rule, for font heights and the popup's gradient steps alike.
TEST(Settings, MulDivRoundsHalvesAwayFromZero)
{
    struct TCase {
        int Value, Numerator, Denominator, Result;
    };
    const TCase cases[] = {
        {8, 96, 72, 11},
        {-11, 72, 96, -8},
        {1, 1, 2, 1},
        {-1, 1, 2, -1},
        {1, -1, 2, -1},
        {-1, 1, -2, 1},
        {1, 1, -3, 0},
        {10, 10, 3, 33},
        {2000000000, 2000000000, 2000000000, 2000000000},  // the product needs 64 bits
        {5, 5, 0, -1},                                      // no denominator
        {0, 5, 0, -1},
        {2000000000, 2, 1, -1},                             // beyond an int
        {-2000000000, 2, 1, -1},
        {-2147483647 - 1, 1, 1, -2147483647 - 1},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(MulDiv(c.Value, c.Numerator, c.Denominator), c.Result)
            << c.Value << " * " << c.Numerator << " / " << c.Denominator;
}

}  // namespace
}  // namespace orvenna::store
