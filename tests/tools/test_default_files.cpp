// orvenna-notes without a file argument: the program folder's files, found by the program's
// own rule from a copy of the tool placed as an installation or a portable copy places it.

#include "tests/support/toolrunner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace {

namespace fs = std::filesystem;
using orvenna::test::ReadBytes;
using orvenna::test::RunProgram;
using orvenna::test::TTempFolder;
using orvenna::test::TToolResult;
using orvenna::test::WriteBytes;

// One paper on 15 March 2025 whose note and reminder say which file they are in.
std::string NotesSaying(const std::string& marker)
{
    return R"({"papers": [{"Day": 45731, "Note": [")" + marker +
           R"("], "ReminderList": [{"When": 45731.5, "Subject": ")" + marker + R"("}]}]})";
}

class DefaultFiles : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(Root / "usr/bin");
        fs::create_directories(Root / "usr/share/orvenna/images");
        WriteBytes(Root / "usr/share/orvenna/images/2.bmp", "mask");
        fs::copy_file(ORVENNA_BIN_DIR "/orvenna-notes", Installed);
        const char* data = std::getenv("XDG_DATA_HOME");
        SavedDataHome = data ? std::optional<std::string>(data) : std::nullopt;
        ::setenv("XDG_DATA_HOME", (Root / "data").c_str(), 1);
    }
    void TearDown() override
    {
        SavedDataHome ? ::setenv("XDG_DATA_HOME", SavedDataHome->c_str(), 1)
                      : ::unsetenv("XDG_DATA_HOME");
    }

    TToolResult Run(const std::vector<std::string>& args, const std::string& input = {})
    {
        return RunProgram(Temp, Installed.string(), args, input);
    }

    TTempFolder Temp;
    fs::path Root = Temp.Path();
    fs::path Installed = Root / "usr/bin/orvenna-notes";
    fs::path DataFolder = Root / "data/orvenna";
    std::optional<std::string> SavedDataHome;
};

// Each command reads the file it names, and the program folder's when it names none.
TEST_F(DefaultFiles, ACommandWithoutItsFileReadsTheProgramFolders)
{
    const std::string other = Temp.File("other.cal");
    ASSERT_EQ(Run({"build", other}, NotesSaying("in other")).Exit, 0);
    fs::create_directories(DataFolder);
    ASSERT_EQ(Run({"build", (DataFolder / "2004.cal").string()}, NotesSaying("in default")).Exit,
              0);
    const struct {
        std::vector<std::string> Args;
        const char* Found;
    } cases[] = {
        {{"dump"}, "in default"},
        {{"dump", other}, "in other"},
        {{"due", "2025-03-15"}, "in default"},
        {{"due", other, "2025-03-15"}, "in other"},
        {{"export-ics"}, "in default"},
        {{"export-ics", "2025-03-01"}, "in default"},
        {{"export-ics", "2025-03-01", "2025-03-31"}, "in default"},
        {{"export-ics", other}, "in other"},
        {{"export-ics", other, "2025-03-01"}, "in other"},
    };
    for (const auto& c : cases) {
        const TToolResult result = Run(c.Args);
        EXPECT_EQ(result.Exit, 0) << c.Args[0] << ' ' << c.Args.size() << result.Err;
        EXPECT_NE(result.Out.find(c.Found), std::string::npos)
            << c.Args[0] << ' ' << c.Args.size() << " should read " << c.Found;
    }
    const TToolResult settings = Run({"settings-dump"});
    EXPECT_EQ(settings.Exit, 2);
    EXPECT_NE(settings.Err.find((DataFolder / "Setting.cfg").string()), std::string::npos);
}

// An import on a first run makes the program folder as the program would, images and all.
TEST_F(DefaultFiles, ImportWithoutAFileMakesTheProgramFolder)
{
    WriteBytes(Temp.File("one.ics"), "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//EN\r\n"
                                     "BEGIN:VEVENT\r\nUID:1\r\nDTSTART:20250315T090000\r\n"
                                     "SUMMARY:Dentist\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    const TToolResult imported = Run({"import-ics", Temp.File("one.ics")});
    ASSERT_EQ(imported.Exit, 0) << imported.Err;
    EXPECT_EQ(ReadBytes(DataFolder / "images/2.bmp"), "mask");
    EXPECT_NE(Run({"dump"}).Out.find("Dentist"), std::string::npos);
    EXPECT_EQ(Run({"folder"}).Out, (DataFolder / "").string() + "\n");
}

// A portable copy keeps its files beside the tool.
TEST_F(DefaultFiles, APortableCopyReadsItsOwnFolder)
{
    fs::create_directories(Root / "portable");
    const fs::path tool = Root / "portable/orvenna-notes";
    fs::copy_file(Installed, tool);
    ASSERT_EQ(RunProgram(Temp, tool.string(), {"build", (Root / "portable/2004.cal").string()},
                         NotesSaying("portable"))
                  .Exit,
              0);
    EXPECT_NE(RunProgram(Temp, tool.string(), {"dump"}).Out.find("portable"), std::string::npos);
    EXPECT_EQ(RunProgram(Temp, tool.string(), {"folder"}).Out, (Root / "portable/").string() + "\n");
    EXPECT_FALSE(fs::exists(DataFolder));
}

}  // namespace
