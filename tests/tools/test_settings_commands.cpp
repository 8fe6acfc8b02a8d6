// Runs orvenna-notes settings-dump and settings-build on files in a temporary folder.

#include "tests/support/toolrunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace {

using nlohmann::json;
using orvenna::test::Hex;
using orvenna::test::ReadBytes;
using orvenna::test::RunTool;
using orvenna::test::Short;
using orvenna::test::TTempFolder;
using orvenna::test::TToolResult;
using orvenna::test::WriteBytes;

const std::string DefaultFile = std::string(ORVENNA_TEST_DATA) + "/default_settings.cfg";

class SettingsCommands : public testing::Test {
protected:
    TToolResult Run(const std::vector<std::string>& args, const std::string& input = {})
    {
        return RunTool(Folder, "orvenna-notes", args, input);
    }

    std::string SettingsFile() const { return Folder.File("Setting.cfg"); }

    TTempFolder Folder;
};

TEST_F(SettingsCommands, DumpOfTheDefaultFileBuildsItBack)
{
    const TToolResult dumped = Run({"settings-dump", DefaultFile});
    ASSERT_EQ(dumped.Exit, 0) << dumped.Err;
    const json settings = json::parse(dumped.Out);
    const json font = {{"Charset", 1},         {"Color", 4278190088u}, {"Height", -11},
                       {"Name", "MS Sans Serif"}, {"Pitch", 0},           {"Style", json::array()}};
    EXPECT_EQ(settings["TitleFont"], font);
    EXPECT_EQ(settings["SubFont"], font);
    EXPECT_EQ(settings["TitleBK"], 0);
    EXPECT_EQ(settings["CanMoved"], false);
    EXPECT_TRUE(settings["error"].is_null());

    const TToolResult built = Run({"settings-build", SettingsFile()}, dumped.Out);
    ASSERT_EQ(built.Exit, 0) << built.Err;
    EXPECT_EQ(ReadBytes(SettingsFile()), ReadBytes(DefaultFile));

    // No keys at all: the creation values.
    ASSERT_EQ(Run({"settings-build", SettingsFile()}, "{}").Exit, 0);
    EXPECT_EQ(ReadBytes(SettingsFile()), ReadBytes(DefaultFile));
}

TEST_F(SettingsCommands, ChangedValuesSurviveBuildAndDump)
{
    const json input = {
        {"CanMoved", true},
        {"TitleFont",
         {{"Charset", 204}, {"Color", 0x00336699}, {"Height", 14}, {"Name", "Noto Sans"},
          {"Pitch", 2}, {"Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}}}},
        {"IsDeskChild", true},
        {"HideInTheTray", true},
        {"SoundFile", "/home/zoë/bell.wav"},
        {"SubFont", {{"Style", {"fsStrikeOut", "fsBold"}}, {"Color", 4278190095u}}},
        {"TitlePic", "/pictures/title.bmp"},
        {"TitleBK", 0x1FFFFFFF},
        {"Top", 0},
        {"Left", -5},
    };
    const TToolResult built = Run({"settings-build", SettingsFile()}, input.dump());
    ASSERT_EQ(built.Exit, 0) << built.Err;
    const std::string bytes = ReadBytes(SettingsFile());
    EXPECT_NE(bytes.find(Hex("0F") + "TitleFont.Color" + Hex("04 99 66 33 00")), std::string::npos);

    const TToolResult dumped = Run({"settings-dump", SettingsFile()});
    ASSERT_EQ(dumped.Exit, 0) << dumped.Err;
    json expected = input;
    expected["SubFont"] = {{"Charset", 1},         {"Color", 4278190095u}, {"Height", -11},
                           {"Name", "MS Sans Serif"}, {"Pitch", 0},
                           {"Style", {"fsBold", "fsStrikeOut"}}};
    expected["error"] = nullptr;
    EXPECT_EQ(json::parse(dumped.Out), expected);
}

TEST_F(SettingsCommands, BadJsonWritesNothing)
{
    WriteBytes(SettingsFile(), "old");
    const std::string inputs[] = {
        "{\"CanMoved\": ",
        R"({"CanMoved": 1})",
        R"({"Top": 2147483648})",
        R"({"TitleBK": -1})",
        R"({"TitleBK": 4294967296})",
        R"({"TitleFont": {"Charset": 256}})",
        R"({"TitleFont": {"Pitch": 3}})",
        R"({"TitleFont": {"Style": ["fsBold", "fsShadow"]}})",
        R"({"TitleFont": {"Style": "fsBold"}})",
        R"({"SubFont": {"Size": 8}})",
        R"({"Right": 0})",
        R"({"SoundFile": null})",
        R"([])",
    };
    for (const std::string& input : inputs) {
        const TToolResult result = Run({"settings-build", SettingsFile()}, input);
        EXPECT_EQ(result.Exit, 1) << input;
        EXPECT_NE(result.Err.find("bad settings JSON, nothing written"), std::string::npos) << input;
        EXPECT_EQ(ReadBytes(SettingsFile()), "old") << input;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.Path()), {}), 4);
}

TEST_F(SettingsCommands, DumpReportsTheLoadFailureAndKeepsWhatWasRead)
{
    // The default file with SubFont.Name's "Name" turned into "Nome".
    std::string damaged = ReadBytes(DefaultFile);
    const std::size_t at = damaged.find("SubFont.Name");
    ASSERT_NE(at, std::string::npos);
    damaged[at + 9] = 'o';
    WriteBytes(SettingsFile(), damaged);

    const TToolResult result = Run({"settings-dump", SettingsFile()});
    EXPECT_EQ(result.Exit, 1);
    const json settings = json::parse(result.Out);
    EXPECT_EQ(settings["error"],
              "Error reading TCalSetting.SubFont.Nome: Property Nome does not exist");
    EXPECT_EQ(settings["SubFont"]["Height"], -11);

    // Every failure of the reader is a damaged file, a conversion of Nil for a font included.
    WriteBytes(SettingsFile(), orvenna::test::ObjectBytes("TCalSetting", Short("CanMoved") +
                                                                         Hex("09") + Short("TitleFont") +
                                                                         Hex("0D")));
    const TToolResult nil = Run({"settings-dump", SettingsFile()});
    EXPECT_EQ(nil.Exit, 1) << nil.Err;
    const json nilSettings = json::parse(nil.Out);
    EXPECT_EQ(nilSettings["error"], "Error reading TCalSetting.TitleFont: Cannot assign a nil to a TFont");
    EXPECT_EQ(nilSettings["CanMoved"], true);

    const TToolResult missing = Run({"settings-dump", Folder.File("none.cfg")});
    EXPECT_EQ(missing.Exit, 2);
    EXPECT_NE(missing.Err.find("Cannot open file \"" + Folder.File("none.cfg") + "\"."),
              std::string::npos);
    EXPECT_EQ(missing.Out, "");

    const TToolResult unwritable = Run({"settings-build", Folder.File("none/Setting.cfg")}, "{}");
    EXPECT_EQ(unwritable.Exit, 2);
    EXPECT_NE(unwritable.Err.find("Cannot create file"), std::string::npos);
}

TEST_F(SettingsCommands, BuildOverADamagedFileKeepsItsCopyFirst)
{
    const std::string damaged = ReadBytes(DefaultFile).substr(0, 100);
    WriteBytes(SettingsFile(), damaged);
    const TToolResult built = Run({"settings-build", SettingsFile()}, R"({"CanMoved": true})");
    ASSERT_EQ(built.Exit, 0) << built.Err;
    const auto kept = built.Err.find("kept as " + SettingsFile() + ".damaged-");
    ASSERT_NE(kept, std::string::npos) << built.Err;
    const std::string copy = built.Err.substr(kept + 8, built.Err.size() - kept - 9);
    EXPECT_EQ(ReadBytes(copy), damaged);
    EXPECT_EQ(json::parse(Run({"settings-dump", SettingsFile()}).Out)["CanMoved"], true);
}

}  // namespace
