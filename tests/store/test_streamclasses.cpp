// The property tables drive any class: a settings-like class with a nested font, a Boolean, an
// enumeration with a declared default, a set, a colour and a character set.

#include "store/properties.h"
#include "tests/store/streamtesting.h"

#include <gtest/gtest.h>

namespace orvenna::store {
namespace {

using namespace orvenna::store::testing;

constexpr std::int32_t clWindowText = static_cast<std::int32_t>(0xFF000008u);

class TSampleFont final : public TPersistent {
public:
    const TClassInfo& ClassInfo() const override;

    std::int32_t Charset = 1;
    std::int32_t Color = clWindowText;
    std::int32_t Height = -11;
    std::string Name = "MS Sans Serif";
    std::int32_t Pitch = 0;
    std::int32_t Size = 8;
    std::int32_t Style = 0;
};

class TSampleSetting final : public TComponent {
public:
    const TClassInfo& ClassInfo() const override;

    bool CanMoved = false;
    TSampleFont TitleFont;
    std::string SoundFile;
    std::int32_t TitleBK = 0;
    std::int32_t Left = 0;
};

constexpr std::string_view PitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};
constexpr std::string_view StyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

constexpr TPropInfo FontProps[] = {
    props::Integer<&TSampleFont::Charset>("Charset", &CharsetIdents),
    props::Integer<&TSampleFont::Color>("Color", &ColorIdents),
    props::Integer<&TSampleFont::Height>("Height"),
    props::Text<&TSampleFont::Name>("Name"),
    props::WithDefault(props::Enumeration<&TSampleFont::Pitch>("Pitch", PitchNames), 0),
    props::NotStored(props::Integer<&TSampleFont::Size>("Size")),
    props::Set<&TSampleFont::Style>("Style", StyleNames),
};

constexpr TPropInfo SettingProps[] = {
    props::Boolean<&TSampleSetting::CanMoved>("CanMoved"),
    props::Object<&TSampleSetting::TitleFont>("TitleFont"),
    props::Text<&TSampleSetting::SoundFile>("SoundFile"),
    props::Integer<&TSampleSetting::TitleBK>("TitleBK", &ColorIdents),
    props::Integer<&TSampleSetting::Left>("Left"),
};

const TClassInfo FontInfo{"TFont", nullptr, FontProps};
const TClassInfo SettingInfo{"TSampleSetting", &ComponentClassInfo, SettingProps};

const TClassInfo& TSampleFont::ClassInfo() const
{
    return FontInfo;
}

const TClassInfo& TSampleSetting::ClassInfo() const
{
    return SettingInfo;
}

TEST(StreamClasses, CreationValuesWriteEveryRecordButDefaultsAndNotStored)
{
    TSampleSetting setting;
    EXPECT_EQ(WrittenBody(setting),
              "TPF0" + Short("TSampleSetting") + Hex("00") + Short("CanMoved") + Hex("08") +
                  Short("TitleFont.Charset") + Ident("DEFAULT_CHARSET") +
                  Short("TitleFont.Color") + Ident("clWindowText") +
                  Short("TitleFont.Height") + Hex("02 F5") + Short("TitleFont.Name") +
                  Hex("06") + Short("MS Sans Serif") + Short("TitleFont.Style") + Hex("0B 00") +
                  Short("TitleBK") + Ident("clBlack") + Short("Left") + Hex("02 00") +
                  Hex("00 00"));
}

TEST(StreamClasses, ChangedValuesWriteAndReadBack)
{
    TSampleSetting setting;
    setting.CanMoved = true;
    setting.Tag = 3;
    setting.TitleFont.Pitch = 2;
    setting.TitleFont.Style = 0b0011;
    setting.TitleFont.Charset = 7;
    setting.TitleFont.Color = 0x336699;
    setting.SoundFile = "/sounds/bell.wav";
    setting.TitleBK = 0x80;
    setting.Left = -5;
    const std::string body = WrittenBody(setting);
    EXPECT_EQ(body.substr(0, 26), "TPF0" + Short("TSampleSetting") + Hex("00") + Short("Tag") +
                                      Hex("02 03"));
    for (const std::string& record : {
             Short("CanMoved") + Hex("09"),
             Short("TitleFont.Charset") + Hex("02 07"),
             Short("TitleFont.Color") + Hex("04 99 66 33 00"),
             Short("TitleFont.Pitch") + Ident("fpFixed"),
             Short("TitleFont.Style") + Hex("0B") + Short("fsBold") + Short("fsItalic") + Hex("00"),
             Short("TitleBK") + Ident("clMaroon"),
             Short("Left") + Hex("02 FB"),
         })
        EXPECT_NE(body.find(record), std::string::npos) << record;
    EXPECT_EQ(body.find("Size"), std::string::npos);

    TSampleSetting read;
    ASSERT_EQ(ReadMessage(ObjectBytes("TSampleSetting", body.substr(20, body.size() - 22)), read),
              "");
    EXPECT_EQ(WrittenBody(read), body);
}

TEST(StreamClasses, ColoursAreWrittenByNameWhenTheyHaveOne)
{
    const std::pair<std::int32_t, std::string> cases[] = {
        {0x00123456, Hex("04 56 34 12 00")}, {0x00FFFFFF, Ident("clWhite")},
        {0x80, Ident("clMaroon")},           {0x7F, Hex("02 7F")},
        {0x81, Hex("03 81 00")},             {0x1FFFFFFF, Ident("clNone")},
        {0x20000000, Ident("clDefault")},    {static_cast<std::int32_t>(0xFF00001Eu), Ident("clMenuBar")},
    };
    for (const auto& [value, bytes] : cases) {
        TSampleSetting setting;
        setting.TitleBK = value;
        EXPECT_NE(WrittenBody(setting).find(Short("TitleBK") + bytes), std::string::npos) << value;
    }
}

TEST(StreamClasses, EveryNamedValueReadsBack)
{
    for (const TIdentMap map : {ColorIdents, CharsetIdents}) {
        for (const TIdentEntry& entry : map) {
            TSampleSetting setting;
            setting.TitleBK = entry.Value;
            setting.TitleFont.Charset = entry.Value;
            const std::string body = WrittenBody(setting);
            TSampleSetting read;
            read.TitleBK = read.TitleFont.Charset = -1;
            ASSERT_EQ(ReadMessage(ObjectBytes("TSampleSetting", body.substr(20, body.size() - 22)),
                                  read),
                      "");
            EXPECT_EQ(map.data() == ColorIdents.data() ? read.TitleBK : read.TitleFont.Charset,
                      entry.Value)
                << entry.Name;
        }
    }
}

TEST(StreamClasses, ReaderMapsNamesInAnyCaseAndReadsNotStoredProperties)
{
    const std::string records = Short("titlefont.COLOR") + Ident("CLWHITE") +
                                Short("TitleFont.Charset") + Ident("greek_charset") +
                                Short("TitleFont.Size") + Hex("02 0C") + Short("CanMoved") +
                                Ident("true") + Short("TitleFont.Style") + Hex("0B") +
                                Short("FSSTRIKEOUT") + Hex("00");
    TSampleSetting setting;
    ASSERT_EQ(ReadMessage(ObjectBytes("TSampleSetting", records), setting), "");
    EXPECT_EQ(setting.TitleFont.Color, 0xFFFFFF);
    EXPECT_EQ(setting.TitleFont.Charset, 161);
    EXPECT_EQ(setting.TitleFont.Size, 12);
    EXPECT_TRUE(setting.CanMoved);
    EXPECT_EQ(setting.TitleFont.Style, 0b1000);
}

TEST(StreamClasses, ReaderRejectsNamesTheTypeDoesNotHave)
{
    struct TCase {
        std::string Records;
        std::string Message;
    };
    const TCase cases[] = {
        {Short("TitleFont.Color") + Ident("clPink"),
         "Error reading TSampleSetting.TitleFont.Color: Invalid property value"},
        {Short("Left") + Ident("clRed"), "Error reading TSampleSetting.Left: Invalid property value"},
        {Short("TitleFont.Pitch") + Ident("fpWide"),
         "Error reading TSampleSetting.TitleFont.Pitch: Invalid property value"},
        {Short("CanMoved") + Hex("0D"), "Error reading TSampleSetting.CanMoved: Invalid property value"},
        {Short("CanMoved") + Hex("02 01"),
         "Error reading TSampleSetting.CanMoved: Invalid property value"},
        {Short("TitleFont.Style") + Hex("0B") + Short("fsShadow") + Hex("00"),
         "Error reading TSampleSetting.TitleFont.Style: Invalid property value"},
        {Short("TitleFont.Style") + Ident("fsBold"),
         "Error reading TSampleSetting.TitleFont.Style: Invalid property value"},
        {Short("TitleFont.Weight") + Hex("02 01"),
         "Error reading TSampleSetting.TitleFont.Weight: Property Weight does not exist"},
        {Short("TitleFont") + Hex("0D"),
         "Error reading TSampleSetting.TitleFont: Cannot assign a nil to a TFont"},
        {Short("TitleFont.Name.First") + Hex("06 00"),
         "Error reading TSampleSetting.TitleFont.Name.First: Invalid property path"},
    };
    for (const auto& c : cases) {
        TSampleSetting setting;
        EXPECT_EQ(ReadMessage(ObjectBytes("TSampleSetting", c.Records), setting), c.Message)
            << c.Message;
    }
}

}  // namespace
}  // namespace orvenna::store
