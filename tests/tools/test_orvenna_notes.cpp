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
    EXPECT_EQ(reminder["ReminderTime"].get<double>(), 0x1.31e8c71c71c72p+15);  // 9:20
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
    // The notes file, its lock and the tool's input and output: no temporary files.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.Path()), {}), 5);
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

TEST_F(OrvennaNotes, ReminderTimeIsTheExtendedPrecisionResult)
{
    // Worked out with exact fractions rounded to 64 bits at each step, then to a double; the
    // plain double formula misses each of these by one bit.
    struct TCase {
        const char* When;
        int Before;
        double ReminderTime;
    };
    const TCase cases[] = {
        {"41823.06870002608", 1, 0x1.46be216589e8cp+15},
        {"41823.06870002608", 3, 0x1.46be1dd751053p+15},
        {"41823.06870002608", 5, 0x1.46be0dd751053p+15},
        {"35101.380514788434", 4, 0x1.123abbb663d0dp+15},
        {"31877.1917354847", 4, 0x1.f214b61d6b02dp+14},
        {"41823.06870002608", 6, 0x1.46bc232ca65a8p+15},  // one day before
    };
    for (const TCase& c : cases) {
        const std::string input = std::string(R"({"papers": [{"ReminderList": [{"When": )") +
                                  c.When + ", \"Before\": " + std::to_string(c.Before) + "}]}]}";
        ASSERT_EQ(Run({"build", NotesFile()}, input).Exit, 0) << c.When;
        const json notes = json::parse(Run({"dump", NotesFile()}).Out);
        EXPECT_EQ(notes["papers"][0]["ReminderList"][0]["ReminderTime"].get<double>(),
                  c.ReminderTime)
            << c.When << " " << c.Before;
    }
}

TEST_F(OrvennaNotes, PapersPastTheCountAreADamagedFile)
{
    const std::string input = R"({"papers": [{"Day": 1, "Note": ["milk"]}, {"Day": 2, "Note": ["milk"]}]})";
    ASSERT_EQ(Run({"build", NotesFile()}, input).Exit, 0);
    std::string bytes = ReadBytes(NotesFile());
    const std::string second = bytes.substr(bytes.find("TDAYPAPER", 10) - 3);
    bytes[0] = 1;  // counts one paper of two
    WriteBytes(NotesFile(), bytes);
    const std::string unread =
        std::to_string(second.size()) + " bytes after the 1 counted papers were left unread";

    const TToolResult dumped = Run({"dump", NotesFile()});
    EXPECT_EQ(dumped.Exit, 1);
    const json notes = json::parse(dumped.Out);
    EXPECT_EQ(notes["error"], unread);
    EXPECT_EQ(notes["papers"].size(), 1u);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"due", NotesFile(), "1899-12-31"}, {"find", NotesFile(), "milk"}}) {
        const TToolResult result = Run(args);
        EXPECT_EQ(result.Exit, 1) << args[0];
        EXPECT_NE(result.Err.find(unread), std::string::npos) << args[0] << ": " << result.Err;
    }

    // Dump, edit, build: the file as it was is kept in a copy first.
    const TToolResult built = Run({"build", NotesFile()}, dumped.Out);
    ASSERT_EQ(built.Exit, 0) << built.Err;
    std::vector<std::string> copies;
    for (const auto& entry : std::filesystem::directory_iterator(Folder.Path()))
        if (entry.path().filename().string().rfind("2004.cal.damaged-", 0) == 0)
            copies.push_back(entry.path().string());
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(ReadBytes(copies[0]), bytes);
    EXPECT_EQ(Run({"dump", NotesFile()}).Exit, 0);
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
    for (const char* bad : {"2007-02-30", "15.03.2007", "+007-03-15", "2007-03-+1", "2007-+3-15",
                            " 207-03-15", "2007-3-015", "2007-03-1 ", "2007/03/15", "-007-03-15"}) {
        const TToolResult result = Run({"due", NotesFile(), bad});
        EXPECT_EQ(result.Exit, 64) << bad;
        EXPECT_NE(result.Err.find("is not a valid date (YYYY-MM-DD)"), std::string::npos) << bad;
    }
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

// The answers are the loaded store's: its indexes count in day order after a clean read and in
// file order after a failure, and each text walks on from its own last hit.
TEST_F(OrvennaNotes, FindAnswersInTheOrderOfTheLoadedStore)
{
    const std::string input = R"({"papers": [{"Day": 9, "Note": ["tea"]},
        {"Day": 4, "Note": ["buy", "milk"]}, {"Day": 2, "Note": ["milk", "x"]},
        {"Day": 1, "Note": ["nothing"]}]})";
    ASSERT_EQ(Run({"build", NotesFile()}, input).Exit, 0);
    const std::string whole = ReadBytes(NotesFile());
    struct TCase {
        const char* What;
        std::string Bytes;
        std::string Out;
        int Exit;
    };
    const TCase cases[] = {
        {"clean, by day", whole, "1\n2\n-1\n3\n2\n-1\n1\n1\n", 0},
        {"cut in the last paper, file order", whole.substr(0, whole.size() - 3),
         "1\n2\n-1\n0\n1\n-1\n2\n1\n", 1},
    };
    for (const TCase& c : cases) {
        WriteBytes(NotesFile(), c.Bytes);
        const TToolResult result =
            Run({"find", NotesFile(), "milk", "milk", "milk", "tea", "buy\r\nmilk", "", "x\r\n", "milk"});
        EXPECT_EQ(result.Exit, c.Exit) << c.What << ": " << result.Err;
        EXPECT_EQ(result.Out, c.Out) << c.What;
    }
}

TEST_F(OrvennaNotes, WrongArgumentsShowTheUsage)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"list", NotesFile()}, {"find", NotesFile()}, {"build"}, {"settings-build"},
             {"dump", NotesFile(), "x"}, {"due"}, {"import-ics"}, {"folder", NotesFile()}}) {
        const TToolResult result = Run(args);
        EXPECT_EQ(result.Exit, 64);
        EXPECT_NE(result.Err.find("usage:"), std::string::npos);
    }
}

}  // namespace
