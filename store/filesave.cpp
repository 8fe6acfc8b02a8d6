#include "store/filesave.h"

#include "store/errors.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvenna::store {
namespace {

// Closes the descriptor and, unless released, removes the temporary file it was opened on.
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
    const std::string& Path() const { return Name; }

    // Flushes to the disk and closes; false on failure.
    bool Finish()
    {
        const bool synced = ::fsync(Fd) == 0;
        const bool closed = ::close(Fd) == 0;
        Fd = -1;
        return synced && closed;
    }

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

// A fresh file beside the target, created with the permissions a plain create would give.
TTempFile CreateTemp(const std::string& fileName)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0;; ++attempt) {
        std::string name = fileName + ".tmp-" + std::to_string(::getpid()) + "-" +
                           std::to_string(counter++);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return TTempFile(fd, std::move(name));
        if (errno != EEXIST || attempt > 100)
            throw EFileError(CannotCreateMessage(fileName, errno));
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

// Makes the rename itself durable.
void SyncFolder(const std::string& fileName)
{
    const int fd = ::open(FolderOf(fileName).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

TTempFile WriteTemp(const std::string& fileName, const TProduceBytes& produce)
{
    TTempFile temp = CreateTemp(fileName);
    produce([&](std::string_view piece) { WriteAll(temp.Handle(), piece); });
    return temp;
}

TProduceBytes AllAtOnce(std::string_view bytes)
{
    return [bytes](const TWriteBytes& write) { write(bytes); };
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
    TTempFile temp = WriteTemp(target, produce);
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(temp.Handle(), existing.st_mode & 07777);
    if (!temp.Finish())
        throw EWriteError(StreamWriteError);
    if (::rename(temp.Path().c_str(), target.c_str()) != 0)
        throw EFileError(CannotCreateMessage(fileName, errno));
    temp.Release();
    SyncFolder(target);
}

std::string SaveNewFile(const std::string& baseName, std::string_view bytes)
{
    TTempFile temp = WriteTemp(baseName, AllAtOnce(bytes));
    if (!temp.Finish())
        throw EWriteError(StreamWriteError);
    // A hard link fails rather than replace an existing name.
    for (int suffix = 0;; ++suffix) {
        const std::string name = suffix == 0 ? baseName : baseName + "-" + std::to_string(suffix);
        if (::link(temp.Path().c_str(), name.c_str()) == 0) {
            SyncFolder(name);
            return name;
        }
        if (errno != EEXIST || suffix > 1000)
            throw EFileError(CannotCreateMessage(name, errno));
    }
}

std::string ReadWholeFile(const std::string& fileName)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EFileError(CannotOpenMessage(fileName, errno));
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        throw EFileError(CannotOpenMessage(fileName, EISDIR));
    }
    std::string bytes;
    bytes.resize(info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0);
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(bytes.size() + 65536);
        const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    ::close(fd);
    bytes.resize(filled);
    return bytes;
}

}  // namespace orvenna::store
