#pragma once
// One writer at a time for a data file ("2004.cal", "Setting.cfg", "Alerts.dat"): every
// read-modify-write of the file runs while a TFileLock of it is alive, so that two programs
// writing at once never lose each other's changes. The lock is advisory: it keeps out only
// writers that take it too.

#include <chrono>
#include <string>

namespace orvenna::store {

// How long a writer waits for another one to finish by default.
inline constexpr std::chrono::milliseconds DefaultLockWait{5000};

class TFileLock final {
public:
    // Takes the exclusive lock of the data file, waiting up to `wait` for another holder to let
    // go. The lock lives on "<data file>.lock" beside the file the path leads to (through
    // symbolic links), created when missing and never removed; in a folder that takes no new
    // file it is the data file itself, or the folder when the file is missing too. A folder
    // that does not exist needs no lock: nothing can be written there. Throws ELockError
    // "Cannot lock file "<data file>": ..." when the wait runs out or the lock cannot be taken.
    //
    // A process started by ShareWithChildren()'s holder takes the holder's lock at once (as does
    // the holder itself while it shares), so a script run under the lock can itself run
    // commands that take it.
    explicit TFileLock(const std::string& dataFile, std::chrono::milliseconds wait = DefaultLockWait);
    ~TFileLock();
    TFileLock(TFileLock&& other) noexcept;
    TFileLock& operator=(TFileLock&& other) noexcept;
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

    // The file that carries the lock; empty when none was needed.
    const std::string& LockFile() const { return Path; }

    // Lets the programs this process starts from now on share the lock (through an inherited
    // descriptor named in the environment) while this object lives.
    void ShareWithChildren();

    // "<data file>.lock" beside the file the path leads to.
    static std::string LockFileOf(const std::string& dataFile);

private:
    void Release() noexcept;

    int Fd = -1;
    bool Inherited = false;  // the parent's descriptor: the parent lets go, not this process
    std::string Path;
};

}  // namespace orvenna::store
