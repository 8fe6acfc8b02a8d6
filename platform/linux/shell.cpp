#include "platform/linux/linuxplatform.h"
#include "platform/linux/shellrules.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QUrl>

#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

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

bool HasGuiApplication()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

}  // namespace

QString TLinuxPlatform::ExecutablePath() const
{
    return QFile::decodeName(QByteArray::fromStdString(RunningExecutable().string()));
}

QString TLinuxPlatform::ProgramFolder() const
{
    const QString executable = ExecutablePath();
    const qsizetype slash = executable.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : executable.left(slash + 1);
}

void TLinuxPlatform::SetClipboardText(const QString& text)
{
    if (!HasGuiApplication())
        return;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text, QClipboard::Clipboard);
}

bool TLinuxPlatform::OpenUrl(const QString& url)
{
    const std::optional<QUrl> address = WebAddress(url);
    if (!address || !HasGuiApplication())
        return false;
    return QDesktopServices::openUrl(*address);
}

std::optional<QUrl> WebAddress(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // Only web and mail addresses: a local file or an unknown scheme handed to the desktop's
    // default handler could start a program the user never meant to run.
    const QUrl url = QUrl::fromUserInput(trimmed);
    const QString scheme = url.scheme().toLower();
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https");
    if (!url.isValid() || !(web || scheme == QLatin1String("mailto")))
        return std::nullopt;
    if (web && url.host().isEmpty())
        return std::nullopt;
    return url;
}

std::vector<int> TLinuxPlatform::SystemColorIndexes() const
{
    // The desktop theme reaches the program as Qt's palette, which has a role for every named
    // theme index; 25 has no name.
    std::vector<int> indexes;
    for (int index = 0; index <= 30; ++index)
        if (index != 25)
            indexes.push_back(index);
    return indexes;
}

}  // namespace orvenna::platform
