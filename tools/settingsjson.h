#pragma once
// The settings record as JSON, the interchange form of orvenna-notes settings-dump/-build:
//   {"CanMoved": bool, "TitleFont": FONT, "IsDeskChild": bool, "HideInTheTray": bool,
//    "SoundFile": string, "SubFont": FONT, "TitlePic": string, "TitleBK": uint32, "Top": int,
//    "Left": int, "error": null | "message"}
//   FONT = {"Charset": 0..255, "Color": uint32, "Height": int, "Name": string, "Pitch": 0..2,
//           "Style": [names among "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"]}
// Colours are the stored 32 bits read as unsigned (clWindowText is 4278190088); Pitch is the
// ordinal (0 default, 1 variable, 2 fixed); styles are listed in that order; ints are 32-bit.

#include "tools/notesjson.h"
#include "store/settings.h"

namespace orvenna::tools {

TJson FontToJson(const store::TFont& font);
// The record and the message of a failed load (none if empty).
TJson SettingsToJson(const store::TCalSetting& settings, const std::string& error);

// Applies the keys of the JSON document to the record; missing keys keep their values, "error"
// is ignored, styles may come in any order. Throws EJsonShape on anything else (a wrong type, a
// number outside its range, an unknown key or style), having changed nothing.
void JsonToSettings(const TJson& document, store::TCalSetting& settings);

}  // namespace orvenna::tools
