// The lock every writer of a data file holds: one holder at a time, however the file is named,
// a bounded wait with a message naming the file, and the hand-over to commands a holder starts.

#include "store/errors.h"
#include "store/filelock.h"
#include "tests/store/streamtesting.h"

#include <gtest/gtest.h>

#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvenna::store {
namespace {

using namespace orvenna::store::testing;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr uid_t Nobody = 65534;

// "" when the lock was taken within the wait, else the failure's text.
std::string TryLock(const std::string& file, std::chrono::milliseconds wait = 30ms)
{
    try {
        TFileLock lock(file, wait);
    } catch (const ELockError& error) {
        return error.Text();
    }
    return {};
}

// Runs the check in a child process (as "nobody" when asked); its exit code, 99 when the child
// could not drop its rights.
int InChild(const std::function<int()>& check, bool asNobody = false)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 ||
                         ::setuid(Nobody) != 0))
            ::_exit(99);
        ::_exit(check());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(FileLock, OneHolderAtATimeHoweverTheFileIsNamed)
{
    struct TCase {
        const char* Name;
        const char* First;   // the path the holder locks
        const char* Second;  // the path a second writer locks
    };
    const TCase cases[] = {
        {"same path", "2004.cal", "2004.cal"},
        {"through a symbolic link", "link.cal", "2004.cal"},
        {"a file not written yet", "Alerts.dat", "Alerts.dat"},
    };
    for (const TCase& c : cases) {
        TTempFolder folder;
        WriteBytes(folder.File("2004.cal"), "notes");
        fs::create_symlink(folder.File("2004.cal"), folder.File("link.cal"));
        {
            const TFileLock held(folder.File(c.First));
            const std::string failure = TryLock(folder.File(c.Second));
            EXPECT_EQ(failure, "Cannot lock file \"" + folder.File(c.Second) +
                                   "\": another program has held \"" +
                                   fs::canonical(folder.Path()).string() + "/" +
                                   fs::path(c.Second).filename().string() +
                                   ".lock\" for 0.03 seconds")
                << c.Name;
        }
        EXPECT_EQ(TryLock(folder.File(c.Second)), "") << c.Name << ": released at the end";
        EXPECT_EQ(ReadBytes(folder.File("2004.cal")), "notes") << c.Name;
    }
}

TEST(FileLock, AWriterWaitsForTheHolderToFinish)
{
    TTempFolder folder;
    const std::string file = folder.File("Setting.cfg");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        const TFileLock lock(file);
        ::write(ready[1], "x", 1);
        ::usleep(300 * 1000);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_NE(TryLock(file, 0ms), "") << "the holder still has it";
    EXPECT_EQ(TryLock(file, 60s), "");
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(FileLock, MovingKeepsTheLockUntilItsLastOwnerEnds)
{
    TTempFolder folder;
    const std::string file = folder.File("2004.cal");
    std::optional<TFileLock> moved;
    {
        TFileLock first(file);
        moved.emplace(std::move(first));
    }
    EXPECT_NE(TryLock(file), "") << "the moved-from lock let go";
    TFileLock other(folder.File("Alerts.dat"));
    *moved = std::move(other);
    EXPECT_EQ(TryLock(file), "") << "assigning over a lock lets its file go";
    EXPECT_NE(TryLock(folder.File("Alerts.dat")), "");
}

TEST(FileLock, FoldersThatTakeNoLockFile)
{
    TTempFolder folder;
    // A folder that does not exist: nothing can be written there, so nothing needs a lock.
    EXPECT_EQ(TryLock(folder.File("none/2004.cal")), "");
    EXPECT_FALSE(fs::exists(folder.File("none")));

    // A folder the user may not add files to: the data file, or without one the folder, holds
    // the lock, and no lock file appears.
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs to become another user";
    fs::permissions(folder.Path(), fs::perms::owner_all | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read |
                                       fs::perms::others_exec);
    WriteBytes(folder.File("2004.cal"), "notes");
    for (const char* name : {"2004.cal", "Setting.cfg"}) {
        const std::string file = folder.File(name);
        const int outcome = InChild(
            [&] {
                const TFileLock held(file);
                if (TryLock(file).find("another program has held") == std::string::npos)
                    return 1;
                return fs::exists(file + ".lock") ? 2 : 0;
            },
            true);
        EXPECT_EQ(outcome, 0) << name;
    }
}

TEST(FileLock, CommandsStartedByTheHolderShareItsLock)
{
    TTempFolder folder;
    const std::string file = folder.File("2004.cal");
    const auto childTakesIt = [&] { return InChild([&] { return TryLock(file).empty() ? 0 : 1; }); };
    // A program started some other way: it knows nothing of the holder.
    const auto strangerTakesIt = [&] {
        return InChild([&] {
            ::unsetenv("ORVENNA_LOCKS");
            return TryLock(file).empty() ? 0 : 1;
        });
    };
    {
        TFileLock lock(file);
        EXPECT_EQ(childTakesIt(), 1) << "not shared yet";
        lock.ShareWithChildren();
        EXPECT_EQ(childTakesIt(), 0);
        EXPECT_EQ(strangerTakesIt(), 1);
        // A child that took the shared lock and ended leaves it to the holder.
        EXPECT_EQ(strangerTakesIt(), 1);
    }
    EXPECT_EQ(std::getenv("ORVENNA_LOCKS"), nullptr) << "the hand-over ends with the holder";
    EXPECT_EQ(childTakesIt(), 0);

    // Several shared locks: a child finds each among the others.
    const std::string settings = folder.File("Setting.cfg");
    TFileLock notesLock(file), settingsLock(settings);
    notesLock.ShareWithChildren();
    settingsLock.ShareWithChildren();
    for (const std::string& shared : {file, settings})
        EXPECT_EQ(InChild([&] { return TryLock(shared).empty() ? 0 : 1; }), 0) << shared;
}

TEST(FileLock, TheFailureNamesTheWaitInSeconds)
{
    const std::pair<std::chrono::milliseconds, const char*> cases[] = {
        {0ms, "for 0 seconds"}, {1ms, "for 0.001 seconds"}, {250ms, "for 0.25 seconds"}};
    TTempFolder folder;
    const TFileLock held(folder.File("2004.cal"));
    for (const auto& [wait, text] : cases) {
        const std::string failure = TryLock(folder.File("2004.cal"), wait);
        EXPECT_TRUE(failure.ends_with(text)) << failure;
    }
}

}  // namespace
}  // namespace orvenna::store
