// Saving the notes file and the settings file as the user's files on disk: their permissions,
// a save killed part-way, write-protected files and folders that take no new file.

#include "store/blockfile.h"
#include "store/daypaperlist.h"
#include "store/errors.h"
#include "store/settings.h"
#include "tests/store/streamtesting.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <optional>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvenna::store {
namespace {

using namespace orvenna::store::testing;
namespace fs = std::filesystem;

constexpr uid_t Nobody = 65534;

// What a save of the file reports: "" when it went through, else the failure's text.
using TSave = std::function<std::string(const std::string& file)>;

template <class TAction>
std::string Outcome(TAction action)
{
    try {
        action();
    } catch (const EStoreError& error) {
        return error.Text();
    }
    return {};
}

struct TSaver {
    const char* Name;  // the file's name in the program's folder
    TSave Save;        // saves a record a good deal larger than one disk block
};

const TSaver Savers[] = {
    {"2004.cal",
     [](const std::string& file) {
         TDayPaperList store([] { return EncodeDate(2007, 3, 15); });
         TDayPaper& paper = store.AddDayPaper();
         paper.Day = EncodeDate(2007, 3, 15);
         paper.Note.assign(2000, std::string(60, 'n'));
         return Outcome([&] { store.SaveToFile(file); });
     }},
    {"Setting.cfg",
     [](const std::string& file) {
         TCalSetting settings;
         settings.SoundFile = std::string(100000, 's');
         return Outcome([&] { settings.SaveToFile(file); });
     }},
};

fs::perms Permissions(const fs::path& file)
{
    return fs::status(file).permissions() & fs::perms::all;
}

std::vector<std::string> Listing(const TTempFolder& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs the action in a child process; returns the signal that ended it, 0 when it exited.
int SignalEnding(const std::function<void()>& action)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        action();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

// Runs the action in a child process as the unprivileged user "nobody"; returns its result.
std::string AsNobody(const std::function<std::string()>& action)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        std::string result = "cannot become nobody";
        if (::setgroups(0, nullptr) == 0 && ::setgid(Nobody) == 0 && ::setuid(Nobody) == 0)
            result = action();
        ::write(channel[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string result;
    char buffer[512];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    ::waitpid(pid, nullptr, 0);
    return result;
}

// Runs the action as a user without the administrator's rights: this process when it is one,
// else a child process as "nobody". None when it is the administrator and cannot be nobody.
std::optional<std::string> Unprivileged(const std::function<std::string()>& action)
{
    if (::geteuid() != 0)
        return action();
    std::string result = AsNobody(action);
    if (result == "cannot become nobody")
        return std::nullopt;
    return result;
}

TEST(FileSave, SavedFileKeepsThePermissionsOfTheOneItReplaces)
{
    struct TCase {
        const char* What;
        std::optional<mode_t> Before;  // none: no file yet
        mode_t Umask;
        mode_t After;
    } const cases[] = {
        {"readable by all", 0644, 022, 0644},
        {"the owner's alone", 0600, 022, 0600},
        {"group may write, wider than the umask", 0664, 022, 0664},
        {"new file: a plain create", std::nullopt, 022, 0644},
        {"new file under a strict umask", std::nullopt, 077, 0600},
    };
    for (const TSaver& saver : Savers) {
        for (const TCase& c : cases) {
            TTempFolder folder;
            const std::string file = folder.File(saver.Name);
            if (c.Before) {
                WriteBytes(file, "old");
                ASSERT_EQ(::chmod(file.c_str(), *c.Before), 0);
            }
            const mode_t umask = ::umask(c.Umask);
            EXPECT_EQ(saver.Save(file), "") << saver.Name << ", " << c.What;
            ::umask(umask);
            EXPECT_EQ(Permissions(file), static_cast<fs::perms>(c.After)) << saver.Name << ", " << c.What;
        }
    }
}

TEST(FileSave, NewFileInAFolderTheUserMayNotWriteIsRefused)
{
    for (const TSaver& saver : Savers) {
        TTempFolder folder;
        // Others may look into the folder, nobody may add to it.
        fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec |
                                           fs::perms::others_read | fs::perms::others_exec);
        const std::string file = folder.File(saver.Name);
        const auto outcome = Unprivileged([&] { return saver.Save(file); });
        if (!outcome)
            GTEST_SKIP() << "running as the administrator, who may write anywhere, and cannot "
                            "become the unprivileged user nobody";
        EXPECT_EQ(*outcome, "Cannot create file \"" + file + "\". Permission denied") << saver.Name;
        EXPECT_EQ(Listing(folder), std::vector<std::string>{}) << saver.Name;
    }
}

TEST(FileSave, SaveKilledPartWayLeavesOnlyThePrivateFile)
{
    for (const TSaver& saver : Savers) {
        TTempFolder folder;
        const std::string file = folder.File(saver.Name);
        WriteBytes(file, "old");
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);

        // The system kills the saving process when its file grows past one block.
        const int signal = SignalEnding([&] {
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            const rlimit oneBlock{4096, RLIM_INFINITY};
            std::signal(SIGXFSZ, SIG_DFL);
            ::setrlimit(RLIMIT_FSIZE, &oneBlock);
            saver.Save(file);
        });
        ASSERT_EQ(signal, SIGXFSZ) << saver.Name;
        EXPECT_EQ(Listing(folder), std::vector<std::string>{saver.Name}) << saver.Name;
        EXPECT_TRUE(ReadBytes(file) == "old") << saver.Name;

        // What an older or crashed save left under our temporary name goes with the next save;
        // a running process's file and other files stay.
        const pid_t ended = ::fork();
        if (ended == 0)
            ::_exit(0);
        ::waitpid(ended, nullptr, 0);
        const std::string stale = std::string(saver.Name) + ".tmp-" + std::to_string(ended) + "-0";
        const std::string running = std::string(saver.Name) + ".tmp-1-0";
        const std::string other = std::string(saver.Name) + ".tmp-notes";
        for (const auto& name : {stale, running, other})
            WriteBytes(folder.File(name), "x");
        EXPECT_EQ(saver.Save(file), "") << saver.Name;
        EXPECT_EQ(Listing(folder),
                  (std::vector<std::string>{saver.Name, running, other}))
            << saver.Name;
        EXPECT_EQ(Permissions(file), fs::perms::owner_read | fs::perms::owner_write);
    }
}

TEST(FileSave, DamagedCopyIsAsPrivateAsTheFile)
{
    TTempFolder folder;
    const std::string file = folder.File("2004.cal");
    WriteBytes(file, Hex("02 00 00 00 FF"));
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    TDayPaperList store([] { return EncodeDate(2007, 3, 15); });
    store.LoadFromFile(file);
    store.SaveToFile(file);
    ASSERT_NE(store.DamagedCopy(), "");
    EXPECT_EQ(ReadBytes(store.DamagedCopy()), Hex("02 00 00 00 FF"));
    EXPECT_EQ(Permissions(store.DamagedCopy()), fs::perms::owner_read | fs::perms::owner_write);
}

TEST(FileSave, WriteProtectedFileIsRefusedAndKept)
{
    struct TCase {
        const char* What;
        bool AsNobody;
        fs::perms FilePermissions;
    };
    const TCase cases[] = {
        // Even the administrator's save keeps a file nobody may write.
        {"read-only file", false, fs::perms::owner_read | fs::perms::group_read |
                                      fs::perms::others_read},
        // Another user's file in the user's own folder.
        {"someone else's file", true, fs::perms::owner_read | fs::perms::owner_write |
                                          fs::perms::group_read | fs::perms::others_read},
    };
    for (const TSaver& saver : Savers) {
        for (const TCase& c : cases) {
            TTempFolder folder;
            const std::string file = folder.File(saver.Name);
            WriteBytes(file, "old");
            fs::permissions(file, c.FilePermissions);
            if (c.AsNobody) {
                ASSERT_EQ(::chown(folder.Path().c_str(), Nobody, Nobody), 0);
            }
            const std::string outcome =
                c.AsNobody ? AsNobody([&] { return saver.Save(file); }) : saver.Save(file);
            EXPECT_EQ(outcome, "Cannot create file \"" + file + "\". Permission denied")
                << saver.Name << ", " << c.What;
            EXPECT_TRUE(ReadBytes(file) == "old") << saver.Name << ", " << c.What;
            EXPECT_EQ(Permissions(file), c.FilePermissions) << saver.Name << ", " << c.What;
            EXPECT_EQ(Listing(folder), std::vector<std::string>{saver.Name});
        }
    }
}

TEST(FileSave, FolderThatTakesNoNewFileGetsTheFileWrittenInPlace)
{
    for (const TSaver& saver : Savers) {
        TTempFolder folder;
        fs::permissions(folder.Path(), fs::perms::owner_all | fs::perms::group_read |
                                           fs::perms::group_exec | fs::perms::others_read |
                                           fs::perms::others_exec);
        const std::string file = folder.File(saver.Name);
        WriteBytes(file, std::string(200000, 'o'));
        ASSERT_EQ(::chown(file.c_str(), Nobody, Nobody), 0);

        EXPECT_EQ(AsNobody([&] { return saver.Save(file); }), "") << saver.Name;
        const std::string written = ReadBytes(file);
        EXPECT_EQ(Listing(folder), std::vector<std::string>{saver.Name});
        EXPECT_EQ(saver.Save(folder.File("again")), "");
        EXPECT_TRUE(written == ReadBytes(folder.File("again"))) << saver.Name;
    }
}

TEST(FileSave, FolderThatTakesNoDamagedCopyKeepsTheDamagedFile)
{
    TTempFolder folder;
    fs::permissions(folder.Path(), fs::perms::owner_all | fs::perms::others_read |
                                       fs::perms::others_exec);
    const std::string file = folder.File("2004.cal");
    const std::string damaged = Hex("02 00 00 00 FF");
    WriteBytes(file, damaged);
    ASSERT_EQ(::chown(file.c_str(), Nobody, Nobody), 0);
    const std::string outcome = AsNobody([&] {
        TDayPaperList store([] { return EncodeDate(2007, 3, 15); });
        store.LoadFromFile(file);
        return Outcome([&] { store.SaveToFile(file); });
    });
    EXPECT_EQ(outcome.rfind("Cannot create file \"" + file + ".damaged-", 0), 0u) << outcome;
    EXPECT_EQ(ReadBytes(file), damaged);
}

TEST(FileSave, FailedWriteInPlaceWritesTheOldBytesBack)
{
    TTempFolder folder;
    fs::permissions(folder.Path(), fs::perms::owner_all | fs::perms::others_read |
                                       fs::perms::others_exec);
    for (const TSaver& saver : Savers) {
        const std::string file = folder.File(saver.Name);
        const std::string old(3000, 'o');
        WriteBytes(file, old);
        ASSERT_EQ(::chown(file.c_str(), Nobody, Nobody), 0);
        const std::string outcome = AsNobody([&] {
            orvenna::test::TFileSizeLimit limit(8192);
            return saver.Save(file);
        });
        EXPECT_EQ(outcome, "Stream write error") << saver.Name;
        EXPECT_TRUE(ReadBytes(file) == old) << saver.Name;
    }
}

// The whole file, also what was added after it was opened, in a string without spare room: the
// notes' bytes stay in memory as the base of the next save.
TEST(FileSave, WholeFileReadsIntoAStringOfItsSize)
{
    struct TCase {
        const char* Name;
        std::size_t AtOpen;  // bytes when the file is opened
        std::size_t Added;   // bytes appended before the read
    };
    const TCase cases[] = {
        {"empty", 0, 0},
        {"small", 40, 0},
        {"larger than a block", 100000, 0},
        {"grown after the opening", 100, 70000},
        {"grown from nothing", 0, 5},
    };
    for (const TCase& c : cases) {
        TTempFolder folder;
        const std::string file = folder.File("2004.cal");
        std::string expected(c.AtOpen, 'a');
        WriteBytes(file, expected);
        TBlockFile reader(file);
        expected += std::string(c.Added, 'b');
        WriteBytes(file, expected);
        const std::string bytes = reader.ReadAll();
        EXPECT_TRUE(bytes == expected) << c.Name << ": " << bytes.size() << " bytes";
        if (c.Added == 0) {
            EXPECT_LT(bytes.capacity() - bytes.size(), 64u) << c.Name;
        }
    }
}

}  // namespace
}  // namespace orvenna::store
