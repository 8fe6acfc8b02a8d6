#include "store/filelock.h"

#include "store/errors.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvenna::store {
namespace {

// Names the locks a parent shares with the programs it starts: one "<descriptor>\t<lock file>"
// a line.
constexpr const char* SharedLocksVariable = "ORVENNA_LOCKS";

std::string CannotLock(const std::string& dataFile, const std::string& why)
{
    return "Cannot lock file \"" + dataFile + "\"" + why;
}

std::string SecondsText(std::chrono::milliseconds wait)
{
    // As printf's %g writes it in the C locale, whatever the user's: "0.03", "1.5", "30".
    char number[32];
    const auto written = std::to_chars(number, number + sizeof number,
                                       static_cast<double>(wait.count()) / 1000.0,
                                       std::chars_format::general, 6);
    return std::string(number, written.ptr) +
           (wait == std::chrono::seconds(1) ? " second" : " seconds");
}

bool SameFile(int fd, const std::string& path)
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// The shared entries, one a line.
std::string SharedLocks()
{
    const char* shared = std::getenv(SharedLocksVariable);
    return shared == nullptr ? std::string() : std::string(shared);
}

// The descriptor a parent shares for one of these lock targets; -1 when there is none. Sets
// path to the target.
int SharedDescriptor(std::initializer_list<std::string> targets, std::string& path)
{
    const std::string shared = SharedLocks();
    for (std::size_t start = 0; start < shared.size();) {
        const std::size_t stop = std::min(shared.find('\n', start), shared.size());
        const std::string line = shared.substr(start, stop - start);
        start = stop + 1;
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string named = line.substr(tab + 1);
        if (std::find(targets.begin(), targets.end(), named) == targets.end())
            continue;
        char* end = nullptr;
        const long fd = std::strtol(line.c_str(), &end, 10);
        // A stale entry may name a descriptor that now holds another file.
        if (end == line.c_str() + tab && fd >= 0 && fd < 1 << 20 &&
            SameFile(static_cast<int>(fd), named)) {
            path = named;
            return static_cast<int>(fd);
        }
    }
    return -1;
}

void SetSharedLocks(const std::string& text)
{
    if (text.empty())
        ::unsetenv(SharedLocksVariable);
    else
        ::setenv(SharedLocksVariable, text.c_str(), 1);
}

std::string FolderOf(const std::string& path)
{
    const auto parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

bool Unwritable(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// Opens what carries the lock and sets path to it; -1 with path empty when no lock is needed.
int OpenLockTarget(const std::string& dataFile, std::string& path)
{
    path = TFileLock::LockFileOf(dataFile);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0)
        return fd;
    if (errno == ENOENT) {
        path.clear();
        return -1;
    }
    if (!Unwritable(errno))
        throw ELockError(CannotLock(dataFile, ". " + std::string(std::strerror(errno))));
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0)
        return fd;
    // A folder that takes no new file: saves there overwrite the file in place, so the file
    // itself can carry the lock; without a file, the folder does.
    path.resize(path.size() - 5);
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        path = FolderOf(path);
        fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (fd < 0)
        throw ELockError(CannotLock(dataFile, ". " + std::string(std::strerror(errno))));
    return fd;
}

// Waits for the exclusive lock on fd until the wait runs out; false then. Polls, since a
// blocking lock cannot be given a time limit.
bool LockWithin(int fd, std::chrono::milliseconds wait, const std::string& dataFile)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + wait;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            throw ELockError(CannotLock(dataFile, ". " + std::string(std::strerror(errno))));
        const auto now = Clock::now();
        if (now >= deadline)
            return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

}  // namespace

std::string TFileLock::LockFileOf(const std::string& dataFile)
{
    std::error_code error;
    const auto resolved = std::filesystem::weakly_canonical(dataFile, error);
    return (error ? dataFile : resolved.string()) + ".lock";
}

TFileLock::TFileLock(const std::string& dataFile, std::chrono::milliseconds wait)
{
    const std::string lockFile = LockFileOf(dataFile);
    const std::string resolved = lockFile.substr(0, lockFile.size() - 5);
    Fd = SharedDescriptor({lockFile, resolved, FolderOf(resolved)}, Path);
    if (Fd >= 0) {
        Inherited = true;
    } else {
        Fd = OpenLockTarget(dataFile, Path);
        if (Fd < 0)
            return;
    }
    if (!LockWithin(Fd, wait, dataFile)) {
        const std::string held = Path;
        Release();
        throw ELockError(CannotLock(dataFile, ": another program has held \"" + held +
                                                  "\" for " + SecondsText(wait)));
    }
}

TFileLock::~TFileLock()
{
    Release();
}

TFileLock::TFileLock(TFileLock&& other) noexcept
    : Fd(other.Fd), Inherited(other.Inherited), Path(std::move(other.Path))
{
    other.Fd = -1;
    other.Path.clear();
}

TFileLock& TFileLock::operator=(TFileLock&& other) noexcept
{
    if (this != &other) {
        Release();
        Fd = other.Fd;
        Inherited = other.Inherited;
        Path = std::move(other.Path);
        other.Fd = -1;
        other.Path.clear();
    }
    return *this;
}

void TFileLock::ShareWithChildren()
{
    if (Fd < 0 || Inherited)
        return;
    ::fcntl(Fd, F_SETFD, ::fcntl(Fd, F_GETFD) & ~FD_CLOEXEC);
    SetSharedLocks(SharedLocks() + std::to_string(Fd) + "\t" + Path + "\n");
}

void TFileLock::Release() noexcept
{
    if (Fd < 0)
        return;
    // The parent's descriptor stays locked and open: the parent lets go when it is done.
    if (!Inherited) {
        const std::string entry = std::to_string(Fd) + "\t" + Path + "\n";
        const std::string shared = "\n" + SharedLocks();
        if (const auto at = shared.find("\n" + entry); at != std::string::npos)
            SetSharedLocks(shared.substr(1, at) + shared.substr(at + 1 + entry.size()));
        ::close(Fd);  // closing the last descriptor of the file lets the lock go
    }
    Fd = -1;
    Path.clear();
}

}  // namespace orvenna::store
