#include "store/blockfile.h"

#include "store/errors.h"
#include "store/filesave.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvenna::store {

TBlockFile::TBlockFile(const std::string& fileName)
    : Fd(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC))
{
    if (Fd < 0)
        throw EFileError(CannotOpenMessage(fileName, errno));
    struct stat info {};
    if (::fstat(Fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(Fd);
        throw EFileError(CannotOpenMessage(fileName, EISDIR));
    }
    OpenSize = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
}

TBlockFile::~TBlockFile()
{
    ::close(Fd);
}

std::size_t TBlockFile::Read(char* data, std::size_t count)
{
    std::size_t filled = 0;
    while (filled < count && !Ended) {
        const ssize_t got = ::read(Fd, data + filled, count - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            Ended = true;
        else
            filled += static_cast<std::size_t>(got);
    }
    return filled;
}

std::string TBlockFile::ReadAll()
{
    if (::lseek(Fd, 0, SEEK_SET) != 0)
        return {};
    Ended = false;
    std::string bytes(OpenSize, '\0');
    bytes.resize(Read(bytes.data(), bytes.size()));
    // The file may have grown since it was opened. What follows is appended as it comes, so
    // that a file of its opening size leaves the string without spare room (the notes' bytes
    // are kept as the base of the next save).
    if (bytes.size() == OpenSize) {
        char block[16384];
        while (!Ended)
            bytes.append(block, Read(block, sizeof block));
    }
    return bytes;
}

}  // namespace orvenna::store
