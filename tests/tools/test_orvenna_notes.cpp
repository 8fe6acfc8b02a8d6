// Runs the built orvenna-notes on files in a temporary folder.

#include "tests/support/toolrunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace {

using nlohmann::json;
using orvenna::test::ReadBytes;
using orvenna::test::RunTool;
using orvenna::test::TTempFolder;
using orvenna::test::TToolResult;
using orvenna::test::WriteBytes;

const std::string Data = ORVENNA_TEST_DATA;

class OrvennaNotes : public testing::Test {
protected:
    TToolResult Run(const std::vector<std::string>& args, const std::string& input = {})
    {
        return RunTool(Folder, "orvenna-notes", args, input);
    }

    std::string NotesFile() const { return Folder.File("2004.cal"); }

    TTempFolder Folder;
};

TEST_F(OrvennaNotes, DumpShowsTheStoreAndBuildWritesItBack)
{
    const TToolResult dumped = Run({"dump", Data + "/one_paper_dentist.cal"});
    ASSERT_EQ(dumped.Exit, 0) << dumped.Err;
    const json notes = json::parse(dumped.Out);
    EXPECT_TRUE(notes["error"].is_null());
    const json& reminder = notes["papers"][0]["ReminderList"][0];
    EXPECT_EQ(notes["papers"][0]["Day"], 39156.0);
    EXPECT_EQ(notes["papers"][0]["Note"], json({"Dentist at 9:30"}));
    EXPECT_EQ(reminder["When"].get<double>(), 39156.395833333336);
    EXPECT_EQ(reminder["ReminderTime"].get<double>(), 39156.395833333336 - 10.0 / 1440);
    EXPECT_EQ(reminder["category"], "Calls");

    const TToolResult built = Run({"build", NotesFile()}, dumped.Out);
    ASSERT_EQ(built.Exit, 0) << built.Err;
    EXPECT_EQ(ReadBytes(NotesFile()), ReadBytes(Data + "/one_paper_dentist.cal"));
}

TEST_F(OrvennaNotes, BuildGivesMissingKeysTheirCreationValues)
{
    const std::string input =
        R"({"papers": [{"Day": 39157, "Note": ["Caf\u00e9"]}, {"ReminderList": [{"Subject": "x"}]}]})";
    ASSERT_EQ(Run({"build", NotesFile()}, input).Exit, 0);
    const json notes = json::parse(Run({"dump", NotesFile()}).Out);
    ASSERT_EQ(notes["papers"].size(), 2u);
    // Loading sorts: the paper of day 0 comes first.
    const json& reminder = notes["papers"][0]["ReminderList"][0];
    EXPECT_EQ(reminder["SomeData"], 43);
    EXPECT_EQ(reminder["When"], 0.0);
    EXPECT_EQ(reminder["Desc"], json::array());
    EXPECT_EQ(notes["papers"][1]["Note"][0], "Caf\xC3\xA9");
}

TEST_F(OrvennaNotes, BadJsonWritesNothing)
{
    WriteBytes(NotesFile(), ReadBytes(Data + "/one_paper_dentist.cal"));
    const std::string inputs[] = {
        "{\"papers\": [",
        R"({"papers": [{"Day": "monday"}]})",
        R"({"papers": [{"Day": 1, "Notes": []}]})",
        R"({"papers": [{"ReminderList": [{"Before": 4294967296}]}]})",
        R"({"papers": [{"Note": ["a", 2]}]})",
        R"([1, 2])",
    };
    for (const std::string& input : inputs) {
        const TToolResult result = Run({"build", NotesFile()}, input);
        EXPECT_EQ(result.Exit, 1) << input;
        EXPECT_NE(result.Err.find("bad notes JSON"), std::string::npos) << input;
        EXPECT_EQ(ReadBytes(NotesFile()), ReadBytes(Data + "/one_paper_dentist.cal")) << input;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.Path()), {}), 4);
}

TEST_F(OrvennaNotes, DumpReportsTheSwallowedFailure)
{
    const TToolResult result = Run({"dump", Data + "/unknown_property_in_reminder.cal"});
    EXPECT_EQ(result.Exit, 1);
    const json notes = json::parse(result.Out);
    EXPECT_EQ(notes["papers"].size(), 0u);
    EXPECT_EQ(notes["error"], "Error reading TDayPaper.ReminderList: Error reading "
                              "TReminder.Subjekt: Property Subjekt does not exist");

    const TToolResult missing = Run({"dump", Folder.File("none.cal")});
    EXPECT_EQ(missing.Exit, 2);
    EXPECT_NE(missing.Err.find("Cannot open file \"" + Folder.File("none.cal") + "\"."),
              std::string::npos);
    EXPECT_EQ(missing.Out, "");
}

TEST_F(OrvennaNotes, DueListsTheRemindersOfThatDate)
{
    const std::string input = R"({"papers": [
        {"Day": 39156, "ReminderList": [{"When": 39156.375, "Subject": "once"}]},
        {"Day": 39100, "ReminderList": [{"When": 39100.5, "Subject": "weekly", "Recurrency": 2},
                                        {"When": 39100.5, "Subject": "yearly", "Recurrency": 4}]}
    ]})";
    ASSERT_EQ(Run({"build", NotesFile()}, input).Exit, 0);
    const auto subjects = [&](const std::string& date) {
        const TToolResult result = Run({"due", NotesFile(), date});
        EXPECT_EQ(result.Exit, 0) << result.Err;
        std::vector<std::string> found;
        for (const json& reminder : json::parse(result.Out))
            found.push_back(reminder["Subject"]);
        return found;
    };
    EXPECT_EQ(subjects("2007-03-15"), std::vector<std::string>{"once"});
    EXPECT_EQ(subjects("2007-01-19"), std::vector<std::string>{"weekly"});  // 39101: D + 1
    EXPECT_EQ(subjects("2009-01-18"), std::vector<std::string>{"yearly"});
    EXPECT_EQ(subjects("2007-03-17"), std::vector<std::string>{});
    EXPECT_EQ(Run({"due", NotesFile(), "2007-02-30"}).Exit, 64);
    EXPECT_EQ(Run({"due", NotesFile(), "15.03.2007"}).Exit, 64);
}

TEST_F(OrvennaNotes, FindContinuesAfterEachHit)
{
    const std::string input = R"({"papers": [{"Day": 1, "Note": ["buy milk"]},
        {"Day": 2, "Note": ["nothing"]}, {"Day": 3, "Note": ["milk shake"]}]})";
    ASSERT_EQ(Run({"build", NotesFile()}, input).Exit, 0);
    const TToolResult result = Run({"find", NotesFile(), "milk", "milk", "milk", "Milk", "milk"});
    EXPECT_EQ(result.Exit, 0);
    EXPECT_EQ(result.Out, "0\n2\n-1\n-1\n0\n");
}

TEST_F(OrvennaNotes, WrongArgumentsShowTheUsage)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"dump"}, {"list", NotesFile()}, {"find", NotesFile()}, {"due", NotesFile()}}) {
        const TToolResult result = Run(args);
        EXPECT_EQ(result.Exit, 64);
        EXPECT_NE(result.Err.find("usage:"), std::string::npos);
    }
}

}  // namespace
