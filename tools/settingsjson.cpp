#include "tools/settingsjson.h"

#include <cstdint>
#include <string_view>

namespace orvenna::tools {
namespace {

using store::TCalSetting;
using store::TFont;

constexpr std::string_view StyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

store::TColor Color(const TJson& value, const std::string& where)
{
    return static_cast<store::TColor>(static_cast<std::uint32_t>(Ranged(value, where, 0, UINT32_MAX)));
}

store::TFontStyles Styles(const TJson& value, const std::string& where)
{
    if (!value.is_array())
        Fail(where, "expected an array of style names");
    store::TFontStyles styles = 0;
    for (const TJson& item : value) {
        const std::string name = Text(item, where);
        std::size_t bit = 0;
        while (bit < std::size(StyleNames) && StyleNames[bit] != name)
            ++bit;
        if (bit == std::size(StyleNames))
            Fail(where, "unknown style \"" + name + "\"");
        styles |= static_cast<store::TFontStyles>(1u << bit);
    }
    return styles;
}

void ReadFont(const TJson& json, TFont& font, const std::string& where)
{
    CheckKeys(json, where, {"Charset", "Color", "Height", "Name", "Pitch", "Style"});
    const auto field = [&](const char* key) { return where + "." + key; };
    if (json.contains("Charset"))
        font.Charset = static_cast<std::uint8_t>(Ranged(json["Charset"], field("Charset"), 0, 255));
    if (json.contains("Color"))
        font.Color = Color(json["Color"], field("Color"));
    if (json.contains("Height"))
        font.Height = Int32(json["Height"], field("Height"));
    if (json.contains("Name"))
        font.Name = Text(json["Name"], field("Name"));
    if (json.contains("Pitch"))
        font.Pitch = static_cast<store::TFontPitch>(
            Ranged(json["Pitch"], field("Pitch"), store::fpDefault, store::fpFixed));
    if (json.contains("Style"))
        font.Style = Styles(json["Style"], field("Style"));
}

void ReadSettings(const TJson& json, TCalSetting& settings)
{
    CheckKeys(json, "settings",
              {"CanMoved", "TitleFont", "IsDeskChild", "HideInTheTray", "SoundFile", "SubFont",
               "TitlePic", "TitleBK", "Top", "Left", "error"});
    if (json.contains("CanMoved"))
        settings.CanMoved = Bool(json["CanMoved"], "CanMoved");
    if (json.contains("TitleFont"))
        ReadFont(json["TitleFont"], settings.TitleFont, "TitleFont");
    if (json.contains("IsDeskChild"))
        settings.IsDeskChild = Bool(json["IsDeskChild"], "IsDeskChild");
    if (json.contains("HideInTheTray"))
        settings.HideInTheTray = Bool(json["HideInTheTray"], "HideInTheTray");
    if (json.contains("SoundFile"))
        settings.SoundFile = Text(json["SoundFile"], "SoundFile");
    if (json.contains("SubFont"))
        ReadFont(json["SubFont"], settings.SubFont, "SubFont");
    if (json.contains("TitlePic"))
        settings.TitlePic = Text(json["TitlePic"], "TitlePic");
    if (json.contains("TitleBK"))
        settings.TitleBK = Color(json["TitleBK"], "TitleBK");
    if (json.contains("Top"))
        settings.Top = Int32(json["Top"], "Top");
    if (json.contains("Left"))
        settings.Left = Int32(json["Left"], "Left");
}

}  // namespace

TJson FontToJson(const TFont& font)
{
    TJson styles = TJson::array();
    for (std::size_t bit = 0; bit < std::size(StyleNames); ++bit)
        if (font.Style & (1u << bit))
            styles.push_back(StyleNames[bit]);
    TJson json;
    json["Charset"] = font.Charset;
    json["Color"] = static_cast<std::uint32_t>(font.Color);
    json["Height"] = font.Height;
    json["Name"] = font.Name;
    json["Pitch"] = static_cast<int>(font.Pitch);
    json["Style"] = std::move(styles);
    return json;
}

TJson SettingsToJson(const TCalSetting& settings, const std::string& error)
{
    TJson json;
    json["CanMoved"] = settings.CanMoved;
    json["TitleFont"] = FontToJson(settings.TitleFont);
    json["IsDeskChild"] = settings.IsDeskChild;
    json["HideInTheTray"] = settings.HideInTheTray;
    json["SoundFile"] = settings.SoundFile;
    json["SubFont"] = FontToJson(settings.SubFont);
    json["TitlePic"] = settings.TitlePic;
    json["TitleBK"] = static_cast<std::uint32_t>(settings.TitleBK);
    json["Top"] = settings.Top;
    json["Left"] = settings.Left;
    json["error"] = error.empty() ? TJson(nullptr) : TJson(error);
    return json;
}

void JsonToSettings(const TJson& document, TCalSetting& settings)
{
    // Everything is checked on a scratch record first, so a bad input changes nothing.
    TCalSetting scratch(settings.TitleFont.PixelsPerInch());
    scratch.CopyFrom(settings);
    ReadSettings(document, scratch);
    settings.CopyFrom(scratch);
}

}  // namespace orvenna::tools
