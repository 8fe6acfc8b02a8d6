#pragma once
// Writing whole files so that a crash, a kill or a full disk never leaves a half-written one.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orvenna::store {

// Writes the bytes to a new temporary file in the target's folder, flushes it to the disk and
// renames it over the target; a symbolic link stays and the file it points to is replaced. The
// temporary file has the target's permissions from its first byte on, and has no name until it
// is whole where the system offers that, so a crash leaves nothing behind; elsewhere, and for
// the moment between naming and renaming, a later save removes what a crashed one left. A folder
// that takes no new file gets the target overwritten in place (its old bytes are written back
// when that fails). On failure the target is left as it was. Throws EFileError "Cannot create
// file "<name>". <system error>" when the file cannot be created or put in place, or when the
// user may not write it (a file without write permission counts as protected even for the
// administrator); EWriteError "Stream write error" when writing or flushing fails.
void SaveFileAtomically(const std::string& fileName, std::string_view bytes);

// Takes one piece of a file's bytes.
using TWriteBytes = std::function<void(std::string_view)>;
// Hands a file's bytes to its argument piece by piece, in order.
using TProduceBytes = std::function<void(const TWriteBytes&)>;

// The same with bytes that are made while they are written, so that a large file needs no
// buffer of its size. A failure the producer throws leaves the target as it was.
void SaveFileAtomically(const std::string& fileName, const TProduceBytes& produce);

// Writes the bytes to a new file that did not exist before, trying "<base>", "<base>-1",
// "<base>-2", ... so that no existing file is ever replaced; returns the name used. The file
// appears whole or not at all, with the permissions of `permissionsOf` (when that names a file)
// from its first byte on. Throws like SaveFileAtomically.
std::string SaveNewFile(const std::string& baseName, std::string_view bytes,
                        const std::string& permissionsOf = {});

// A data file that did not read whole, and the copy of it kept beside it.
struct TDamagedLoad {
    std::string Error;        // what did not read; empty when the file read whole or is missing
    std::string Copy;         // the copy's name; empty when none was made
    std::string CopyFailure;  // why the damaged file could not be copied; empty otherwise
    bool Damaged() const { return !Error.empty(); }
};

// Keeps the bytes of a damaged file beside it as "<file>.damaged-<YYYYMMDD-HHMMSS>" of the
// local time (SaveNewFile adds "-1", "-2", ... when that name is taken), with the file's
// permissions; returns the copy's name. Throws like SaveNewFile.
std::string SaveDamagedCopy(const std::string& fileName, std::string_view bytes);

// A load that found the file's bytes damaged: the error, and a copy of the bytes kept at once,
// or why it could not be.
TDamagedLoad KeepDamaged(const std::string& fileName, std::string_view bytes, std::string error);

// One version of a file as the system describes it, without reading it: a write in place
// changes its times (or its size), a file renamed over it has another inode. Two writes within
// one tick of the file system's clock that leave the size as it was share a stamp.
struct TFileStamp {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedNs = 0;
    std::int64_t ChangedNs = 0;
    bool operator==(const TFileStamp&) const = default;
};
// The stamp of the file the name leads to (through symbolic links); none when it cannot be
// looked at.
std::optional<TFileStamp> FileStampOf(const std::string& fileName);

// Reads a whole file. Throws EFileError "Cannot open file "<name>". <system error>" when it
// cannot be opened (a folder cannot); a read failure after that ends the data early.
std::string ReadWholeFile(const std::string& fileName);

// "Cannot open file "<name>". <system error text>" and its create counterpart.
std::string CannotOpenMessage(const std::string& fileName, int error);
std::string CannotCreateMessage(const std::string& fileName, int error);

}  // namespace orvenna::store
