// The running executable, read from the kernel.
#include "platform/linux/linuxplatform.h"

#include <QFile>

#include <filesystem>
#include <string_view>
#include <system_error>

namespace orvenna::platform {

namespace {

namespace fs = std::filesystem;

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

}  // namespace

QString TLinuxPlatform::ExecutablePath() const
{
    return QFile::decodeName(QByteArray::fromStdString(RunningExecutable().string()));
}

}  // namespace orvenna::platform
