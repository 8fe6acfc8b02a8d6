#include "store/filesave.h"

#include "store/blockfile.h"
#include "store/errors.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <signal.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvenna::store {
namespace {

// The file the data goes to before it takes the target's place. Where the system offers it, the
// file has no name until it is whole and flushed, so a crash or kill leaves nothing behind;
// elsewhere it is "<target>.tmp-<pid>-<n>" from the start, and a later save removes such files
// of processes that have ended. Closes the descriptor and, unless released, removes the named
// file.
class TTempFile final {
public:
    TTempFile(int fd, std::string name) : Fd(fd), Name(std::move(name)) {}
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    TTempFile(TTempFile&& other) noexcept : Fd(other.Fd), Name(std::move(other.Name))
    {
        other.Fd = -1;
        other.Name.clear();
    }
    ~TTempFile()
    {
        if (Fd >= 0)
            ::close(Fd);
        if (!Name.empty())
            ::unlink(Name.c_str());
    }

    int Handle() const { return Fd; }
    bool Unnamed() const { return Name.empty(); }
    const std::string& Path() const { return Name; }

    // Writes the bytes the producer hands on and flushes them to the disk. Throws EWriteError
    // "Stream write error".
    void Fill(const TProduceBytes& produce) const;

    // Gives an unnamed file the name, failing with errno (EEXIST when the name is taken). A named
    // file is linked to it as well and keeps its own name until released.
    bool LinkTo(const std::string& name) const
    {
        if (!Unnamed())
            return ::link(Name.c_str(), name.c_str()) == 0;
        const std::string self = "/proc/self/fd/" + std::to_string(Fd);
        return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
    }

    // The name an unnamed file was linked to, so that it can be renamed over the target.
    void Adopt(std::string name) { Name = std::move(name); }

    // The file is in place under another name: nothing left to clean up.
    void Release() { Name.clear(); }

private:
    int Fd;
    std::string Name;
};

std::string FolderOf(const std::string& fileName)
{
    const auto slash = fileName.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : fileName.substr(0, slash);
}

std::string BaseNameOf(const std::string& fileName)
{
    const auto slash = fileName.find_last_of('/');
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

std::string TempPrefix(const std::string& fileName)
{
    return fileName + ".tmp-";
}

std::string TempName(const std::string& fileName)
{
    static std::atomic<unsigned> counter{0};
    return TempPrefix(fileName) + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

// Removes the temporary files "<target>.tmp-<pid>-<n>" of processes that no longer run: what a
// save killed or crashed before its rename left behind.
void RemoveStaleTemps(const std::string& fileName)
{
    const std::string folder = FolderOf(fileName);
    const std::string prefix = BaseNameOf(TempPrefix(fileName));
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string rest = name.substr(prefix.size());
        const auto dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos || dash + 1 == rest.size() ||
            rest.find_first_not_of("0123456789-") != std::string::npos ||
            rest.find('-', dash + 1) != std::string::npos || dash > 9)
            continue;
        const auto pid = static_cast<pid_t>(std::stol(rest.substr(0, dash)));
        if (pid > 0 && pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH)
            ::unlink(it->path().c_str());
    }
}

// A new file in the target's folder. With permissions given, it has them from its first byte
// on; without, it gets those of a plain create. Fails with errno.
std::optional<TTempFile> OpenTemp(const std::string& fileName, std::optional<mode_t> permissions)
{
    // Owner-only until the final permissions are set, never wider than the target's.
    const mode_t createMode = permissions ? 0600 : 0666;
    const auto finish = [&](int fd, std::string name) -> std::optional<TTempFile> {
        TTempFile temp(fd, std::move(name));
        if (permissions && ::fchmod(fd, *permissions) != 0)
            return std::nullopt;
        return temp;
    };
#ifdef O_TMPFILE
    static const bool procFds = ::access("/proc/self/fd", X_OK) == 0;
    if (procFds) {
        const int fd = ::open(FolderOf(fileName).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC,
                              createMode);
        if (fd >= 0)
            return finish(fd, {});
        // Folders whose file system has no unnamed files fall back to a named one.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return std::nullopt;
    }
#endif
    for (int attempt = 0;; ++attempt) {
        std::string name = TempName(fileName);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
        if (fd >= 0)
            return finish(fd, std::move(name));
        if (errno != EEXIST || attempt > 100)
            return std::nullopt;
    }
}

void WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw EWriteError(StreamWriteError);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

TProduceBytes AllAtOnce(std::string_view bytes)
{
    return [bytes](const TWriteBytes& write) { write(bytes); };
}

void TTempFile::Fill(const TProduceBytes& produce) const
{
    off_t offset = 0;
    produce([&](std::string_view piece) {
        WriteAll(Fd, piece);
#ifdef SYNC_FILE_RANGE_WRITE
        // The disk starts on each piece while the producer makes the next one, so the flush at
        // the end finds little left to do. Only a start: the fsync below is what makes it durable.
        ::sync_file_range(Fd, offset, static_cast<off_t>(piece.size()), SYNC_FILE_RANGE_WRITE);
#endif
        offset += static_cast<off_t>(piece.size());
    });
    if (::fsync(Fd) != 0)
        throw EWriteError(StreamWriteError);
}

bool WriteAllAt(int fd, std::string_view bytes)
{
    off_t offset = 0;
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    return true;
}

std::string ReadAll(int fd)
{
    std::string bytes;
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
}

// Makes the rename itself durable.
void SyncFolder(const std::string& fileName)
{
    const int fd = ::open(FolderOf(fileName).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// The file's permission bits when it is a regular file.
std::optional<mode_t> PermissionsOf(const std::string& fileName)
{
    struct stat info {};
    if (fileName.empty() || ::stat(fileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return info.st_mode & 07777;
}

// The user may write the file: the system allows it and the file is not write-protected (no
// write permission for anyone, which the administrator's rights would otherwise override).
bool MayWrite(const std::string& fileName, mode_t permissions)
{
    return (permissions & 0222) != 0 && ::faccessat(AT_FDCWD, fileName.c_str(), W_OK, AT_EACCESS) == 0;
}

// Overwrites the file itself, for a folder that takes no new file. On failure the old bytes are
// written back, so the file stays as it was as far as the disk allows.
void WriteInPlace(const std::string& target, const std::string& reportedName,
                  std::string_view bytes)
{
    const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        throw EFileError(CannotCreateMessage(reportedName, errno));
    const std::string old = ReadAll(fd);
    const bool written = WriteAllAt(fd, bytes) &&
                         ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
                         ::fsync(fd) == 0;
    if (!written) {
        WriteAllAt(fd, old);
        ::ftruncate(fd, static_cast<off_t>(old.size()));
        ::fsync(fd);
    }
    ::close(fd);
    if (!written)
        throw EWriteError(StreamWriteError);
}

std::string LocalTimeStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

}  // namespace

std::string CannotOpenMessage(const std::string& fileName, int error)
{
    return "Cannot open file \"" + fileName + "\". " + std::strerror(error);
}

std::string CannotCreateMessage(const std::string& fileName, int error)
{
    return "Cannot create file \"" + fileName + "\". " + std::strerror(error);
}

void SaveFileAtomically(const std::string& fileName, std::string_view bytes)
{
    SaveFileAtomically(fileName, AllAtOnce(bytes));
}

void SaveFileAtomically(const std::string& fileName, const TProduceBytes& produce)
{
    // A renamed file would replace a symbolic link itself; write where the link points.
    std::string target = fileName;
    std::error_code ignored;
    if (std::filesystem::is_symlink(fileName, ignored)) {
        const auto resolved = std::filesystem::weakly_canonical(fileName, ignored);
        if (!ignored)
            target = resolved.string();
    }
    RemoveStaleTemps(target);
    // The rename needs only the folder's permission: a file the user may not write stays.
    const auto permissions = PermissionsOf(target);
    if (permissions && !MayWrite(target, *permissions))
        throw EFileError(CannotCreateMessage(fileName, EACCES));

    auto temp = OpenTemp(target, permissions);
    if (!temp) {
        const int error = errno;
        if (permissions && (error == EACCES || error == EPERM)) {
            std::string bytes;
            produce([&](std::string_view piece) { bytes.append(piece); });
            WriteInPlace(target, fileName, bytes);
            return;
        }
        throw EFileError(CannotCreateMessage(fileName, error));
    }
    temp->Fill(produce);
    if (temp->Unnamed()) {
        // A name for the rename; a crash between the two leaves a file the next save removes.
        std::string name;
        for (int attempt = 0;; ++attempt) {
            name = TempName(target);
            if (temp->LinkTo(name))
                break;
            if (errno != EEXIST || attempt > 100)
                throw EFileError(CannotCreateMessage(fileName, errno));
        }
        temp->Adopt(std::move(name));
    }
    if (::rename(temp->Path().c_str(), target.c_str()) != 0)
        throw EFileError(CannotCreateMessage(fileName, errno));
    temp->Release();
    SyncFolder(target);
}

std::string SaveNewFile(const std::string& baseName, std::string_view bytes,
                        const std::string& permissionsOf)
{
    auto temp = OpenTemp(baseName, PermissionsOf(permissionsOf));
    if (!temp)
        throw EFileError(CannotCreateMessage(baseName, errno));
    temp->Fill(AllAtOnce(bytes));
    // A link fails rather than replace an existing name.
    for (int suffix = 0;; ++suffix) {
        const std::string name = suffix == 0 ? baseName : baseName + "-" + std::to_string(suffix);
        if (temp->LinkTo(name)) {
            SyncFolder(name);
            return name;
        }
        if (errno != EEXIST || suffix > 1000)
            throw EFileError(CannotCreateMessage(name, errno));
    }
}

std::string SaveDamagedCopy(const std::string& fileName, std::string_view bytes)
{
    return SaveNewFile(fileName + ".damaged-" + LocalTimeStamp(), bytes, fileName);
}

TDamagedLoad KeepDamaged(const std::string& fileName, std::string_view bytes, std::string error)
{
    TDamagedLoad damage{std::move(error), {}, {}};
    try {
        damage.Copy = SaveDamagedCopy(fileName, bytes);
    } catch (const EStoreError& failure) {
        damage.CopyFailure = failure.Text();
    }
    return damage;
}

std::optional<TFileStamp> FileStampOf(const std::string& fileName)
{
    struct stat info {};
    if (::stat(fileName.c_str(), &info) != 0)
        return std::nullopt;
    const auto ns = [](const timespec& time) {
        return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
    };
    return TFileStamp{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                      static_cast<std::int64_t>(info.st_size), ns(info.st_mtim), ns(info.st_ctim)};
}

std::string ReadWholeFile(const std::string& fileName)
{
    TBlockFile file(fileName);
    return file.ReadAll();
}

}  // namespace orvenna::store
