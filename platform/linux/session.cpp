// Single instance and sound for the Linux adapter.
#include "platform/linux/lazylibrary.h"
#include "platform/linux/linuxplatform.h"
#include "platform/linux/linuxstate.h"
#include "platform/linux/sessionrules.h"
#include "platform/platformlog.h"

#include <QByteArray>
#include <QFileInfo>

#include <canberra.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <malloc.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvenna::platform {

namespace {

// A folder is fit for lock files when it is a real folder of ours that nobody else can write:
// otherwise another user could hold or replace the lock.
bool IsPrivateFolder(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 0077) == 0;
}

// The user's runtime folder, or /tmp/orvenna-<uid> (created 0700) when the session has none.
// Empty when neither is usable.
std::string LockFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        if (IsPrivateFolder(runtime))
            return runtime;
    }
    const std::string fallback = "/tmp/orvenna-" + std::to_string(::getuid());
    if (::mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    return IsPrivateFolder(fallback) ? fallback : std::string();
}

// Lock names become file names: anything but letters, digits, '-' and '_' turns into '_'.
std::string LockFileName(const QString& name)
{
    std::string result = "orvenna-";
    for (const QChar c : name)
        result += (c.isLetterOrNumber() && c.unicode() < 128) || c == u'-' || c == u'_'
                      ? static_cast<char>(c.unicode())
                      : '_';
    return result + ".lock";
}

}  // namespace

// The lock is an flock on a file in the user's runtime folder: the kernel drops it with the
// last descriptor, so it is released when the process ends however it ends, and the first
// of any number of simultaneous starts wins. The file itself is never removed, since removing
// it would let a later start lock a fresh file while the holder keeps the old one.
bool TLinuxPlatform::AcquireSingleInstance(const QString& name)
{
    const std::string folder = LockFolder();
    if (folder.empty()) {
        qCWarning(lcPlatform) << "no private folder for the single-instance lock";
        return true;  // no safe place for a lock: better two copies than none at all
    }
    const std::string path = folder + '/' + LockFileName(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return true;
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        const bool heldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return !heldElsewhere;
    }
    if (State->InstanceLockFd >= 0)
        ::close(State->InstanceLockFd);
    State->InstanceLockFd = fd;
    return true;
}

// One libcanberra context for the life of the platform object; it plays asynchronously.
// libcanberra (and the codecs it brings) is loaded with the first sound (lazylibrary.h).
class TSoundContext final {
public:
    TSoundContext()
    {
        const bool all = Library.Resolve(Create, "ca_context_create") &&
                         Library.Resolve(Destroy, "ca_context_destroy") &&
                         Library.Resolve(ChangeProps, "ca_context_change_props") &&
                         Library.Resolve(OpenContext, "ca_context_open") &&
                         Library.Resolve(PlayFile, "ca_context_play");
        if (all)
            Create(&Context);
    }
    ~TSoundContext()
    {
        if (Context)
            Destroy(Context);
    }
    TSoundContext(const TSoundContext&) = delete;
    TSoundContext& operator=(const TSoundContext&) = delete;

    // Connects to the sound server; false when there is no device to play on.
    bool Open()
    {
        if (!Context)
            return false;
        ChangeProps(Context, CA_PROP_APPLICATION_NAME, "Orvenna", nullptr);
        return OpenContext(Context) == CA_SUCCESS;
    }

    bool Play(const QByteArray& file)
    {
        // The files are the user's own choice and may change on disk: never cache them.
        return PlayFile(Context, 0, CA_PROP_MEDIA_FILENAME, file.constData(),
                               CA_PROP_CANBERRA_CACHE_CONTROL, "never", nullptr)
               == CA_SUCCESS;
    }

private:
    TLazyLibrary Library{"libcanberra.so.0"};
    decltype(&ca_context_create) Create = nullptr;
    decltype(&ca_context_destroy) Destroy = nullptr;
    decltype(&ca_context_change_props) ChangeProps = nullptr;
    decltype(&ca_context_open) OpenContext = nullptr;
    decltype(&ca_context_play) PlayFile = nullptr;
    ca_context* Context = nullptr;
};

bool TLinuxPlatform::PlaySound(const QString& file)
{
    const QFileInfo info(file);
    if (file.isEmpty() || !info.isFile() || !info.isReadable())
        return false;
    if (!State->Sound) {
        auto sound = std::make_shared<TSoundContext>();
        // A failed connection is not kept: the sound server may come up later.
        if (!sound->Open()) {
            qCInfo(lcPlatform) << "no sound device to play" << file;
            return false;
        }
        State->Sound = std::move(sound);
    }
    return State->Sound->Play(QFile::encodeName(info.absoluteFilePath()));
}

// glibc keeps freed blocks in its heap; a decoded wallpaper's would stay resident all day.
void TLinuxPlatform::ReleaseFreedMemory()
{
    ::malloc_trim(0);
}

QByteArray QtPlatformFor(const TSessionEnvironment& session)
{
    const bool wayland = session.SessionType == "wayland" || !session.WaylandDisplay.isEmpty();
    if (!wayland || session.Display.isEmpty() || !session.QtPlatform.isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

QByteArray PreferredQtPlatform()
{
    return QtPlatformFor({qgetenv("XDG_SESSION_TYPE"), qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"),
                          qgetenv("QT_QPA_PLATFORM")});
}

}  // namespace orvenna::platform
