// Many orvenna-notes writers on one notes file at once: every one of their changes is kept.

#include "tests/support/toolrunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;
using orvenna::test::RunTool;
using orvenna::test::ShellQuote;
using orvenna::test::TTempFolder;
using orvenna::test::TToolResult;
using orvenna::test::WriteBytes;

constexpr int Writers = 12;
constexpr int Rounds = 2;

std::string EventFile(const std::string& subject)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\n"
           "UID:" + subject + "\r\nDTSTART:20260307T100000\r\nSUMMARY:" + subject +
           "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

// One dump-and-build writer: adds a paper of day $3 with the note "w$3" to the dumped papers.
constexpr const char* DumpAndBuild =
    "\"$1\" dump \"$2\" | sed \"s/\\\"papers\\\": \\[/\\\"papers\\\": "
    "[{\\\"Day\\\": $3, \\\"Note\\\": [\\\"w$3\\\"]},/\" | \"$1\" build \"$2\"\n";

TEST(ConcurrentWriters, EveryWriterAtOnceKeepsItsChange)
{
    TTempFolder folder;
    const std::string notes = folder.File("2004.cal");
    const std::string tool = std::string(ORVENNA_BIN_DIR) + "/orvenna-notes";
    WriteBytes(folder.File("writer.sh"), DumpAndBuild);
    // A paper to start from, so that the dump's list of papers is never empty.
    ASSERT_EQ(RunTool(folder, "orvenna-notes", {"build", notes},
                      R"({"papers": [{"Day": 46000, "Note": ["start"]}]})")
                  .Exit,
              0);

    for (int round = 1; round <= Rounds; ++round) {
        // Writers import an event each, as many dump, add a paper and build under one lock.
        std::string script = "cd " + ShellQuote(folder.Path().string()) + "\n";
        for (int i = 0; i < Writers; ++i) {
            const std::string name = "r" + std::to_string(round) + "-" + std::to_string(i);
            WriteBytes(folder.File(name + ".ics"), EventFile(name));
            const std::string day = std::to_string(46100 + round * 100 + i);
            script += ShellQuote(tool) + " import-ics 2004.cal " + name + ".ics >/dev/null 2>>errors &\n";
            script += ShellQuote(tool) + " lock 2004.cal sh writer.sh " + ShellQuote(tool) +
                      " 2004.cal " + day + " 2>>errors &\n";
        }
        script += "wait\n";
        WriteBytes(folder.File("round.sh"), script);
        ASSERT_EQ(std::system(("sh " + ShellQuote(folder.File("round.sh"))).c_str()), 0);

        const TToolResult dumped = RunTool(folder, "orvenna-notes", {"dump", notes});
        ASSERT_EQ(dumped.Exit, 0) << dumped.Err;
        int imported = 0;
        int built = 0;
        const json document = json::parse(dumped.Out);
        for (const json& paper : document["papers"]) {
            imported += static_cast<int>(paper["ReminderList"].size());
            built += paper["Note"].size() == 1 && paper["Note"][0].get<std::string>()[0] == 'w';
        }
        EXPECT_EQ(imported, Writers * round) << "round " << round;
        EXPECT_EQ(built, Writers * round) << "round " << round;
        EXPECT_EQ(orvenna::test::ReadBytes(folder.File("errors")), "") << "round " << round;
    }
}

}  // namespace
