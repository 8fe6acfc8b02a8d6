// The program folder rule under Linux: the freedesktop data home, the kernel's link to the
// running executable, POSIX write permission.
#include "platform/programfolder.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvenna::platform {

namespace {

namespace fs = std::filesystem;

fs::path WithoutTrailingSlash(fs::path path)
{
    std::string text = path.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

fs::path HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    const passwd* account = ::getpwuid(::getuid());
    return account && account->pw_dir ? fs::path(account->pw_dir) : fs::path("/");
}

fs::path BaseFolder(const char* variable, const char* underHome)
{
    const char* value = std::getenv(variable);
    if (value && *value == '/')
        return WithoutTrailingSlash(value);
    return WithoutTrailingSlash(HomeFolder()) / underHome;
}

std::string SystemWords(const char* what, const fs::path& path, int error)
{
    return std::string("Cannot create ") + what + " \"" + path.string() + "\". " +
           std::generic_category().message(error);
}

// Makes the folder and every missing one above it, each readable by the user alone (the
// base-directory rules ask for 0700). Returns 0 or the errno of the step that failed.
int MakeFolders(const fs::path& folder)
{
    std::vector<fs::path> missing;
    std::error_code error;
    for (fs::path step = WithoutTrailingSlash(folder); !fs::exists(step, error);
         step = step.parent_path()) {
        missing.push_back(step);
        if (step == step.parent_path())
            break;
    }
    for (auto step = missing.rbegin(); step != missing.rend(); ++step)
        if (::mkdir(step->c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return errno;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

// The file's bytes; "" when it cannot be read.
std::string ReadAll(const fs::path& file)
{
    std::string bytes;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    char block[16384];
    for (;;) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        bytes.append(block, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return bytes;
}

// Writes the bytes over the file; 0 or the errno of the step that failed.
int WriteFile(const fs::path& file, const std::string& bytes)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : EIO;
            ::close(fd);
            return error;
        }
        done += static_cast<std::size_t>(written);
    }
    return ::close(fd) == 0 ? 0 : errno;
}

// Copies one shipped image over a missing or different copy; "" or the failure. A half
// written copy differs from the shipped one, so the next start writes it again.
std::string CopyImage(const fs::path& shipped, const fs::path& target)
{
    const std::string bytes = ReadAll(shipped);
    std::error_code error;
    if (fs::is_regular_file(target, error) && ReadAll(target) == bytes)
        return {};
    const int failure = WriteFile(target, bytes);
    return failure ? SystemWords("file", target, failure) : std::string();
}

}  // namespace

TProgramFiles ChooseProgramFiles(const fs::path& executableFolder, const fs::path& dataHome,
                                 const std::function<bool(const fs::path&)>& writable)
{
    if (executableFolder.empty())
        return {};
    const fs::path folder = WithoutTrailingSlash(executableFolder);
    std::error_code error;
    const fs::path installed = folder.parent_path() / InstalledImagesFolder;
    const bool isInstalled = fs::is_directory(installed, error);
    if (!isInstalled && writable(folder))
        return {folder / "", {}};
    return {WithoutTrailingSlash(dataHome) / DataFolderName / "",
            isInstalled ? installed : folder / "images"};
}

TProgramFiles FindProgramFiles()
{
    const fs::path executable = RunningExecutable();
    if (executable.empty())
        return {};
    return ChooseProgramFiles(executable.parent_path(), DataHome(), [](const fs::path& folder) {
        return ::access(folder.c_str(), W_OK) == 0;
    });
}

std::string PrepareProgramFiles(const TProgramFiles& files)
{
    if (files.ShippedImages.empty())
        return {};
    if (const int error = MakeFolders(files.Folder / "images"))
        return SystemWords("folder", files.Folder, error);
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(files.ShippedImages, error)) {
        if (!entry.is_regular_file(error))
            continue;
        const std::string failure =
            CopyImage(entry.path(), files.Folder / "images" / entry.path().filename());
        if (!failure.empty())
            return failure;
    }
    return {};
}

fs::path DataHome()
{
    return BaseFolder("XDG_DATA_HOME", ".local/share");
}

fs::path ConfigHomePath()
{
    return BaseFolder("XDG_CONFIG_HOME", ".config");
}

// The kernel's link names the file the process was started from, symlinks already resolved.
// After the file was replaced on disk (an upgrade while running) the link reads
// "<path> (deleted)"; the folder is still the program folder, so the suffix is dropped.
fs::path RunningExecutable()
{
    std::error_code error;
    fs::path target = fs::read_symlink("/proc/self/exe", error);
    if (error || target.empty())
        return {};
    constexpr std::string_view DeletedSuffix = " (deleted)";
    const std::string text = target.string();
    if (!fs::exists(target, error) && text.ends_with(DeletedSuffix))
        target = text.substr(0, text.size() - DeletedSuffix.size());
    const fs::path folder = fs::canonical(target.parent_path(), error);
    return error ? target : folder / target.filename();
}

}  // namespace orvenna::platform
