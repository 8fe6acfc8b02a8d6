#include "platform/fake/fakeplatform.h"

#include <stdexcept>

namespace orvenna::platform {

void TFakePlatform::ChangeDesktopFacts(const TDesktopFacts& facts)
{
    Facts = facts;
    emit DesktopFactsChanged();
}

void TFakePlatform::ChangeScreens(const QRect& primary, const QRect& work,
                                  const QList<TScreen>& others)
{
    Primary = primary;
    Work = work;
    OtherScreens = others;
    QRect all = primary;
    for (const TScreen& screen : others)
        all = all.united(screen.Geometry);
    Virtual = all;
    emit ScreensChanged();
}

void TFakePlatform::PressHotKey()
{
    if (RegisteredHotKey)
        emit HotKeyPressed();
}

void TFakePlatform::SetAutoRun(bool enabled)
{
    ++AutoRunCalls;
    if (!AutoRunFailure.isEmpty())
        throw std::runtime_error(AutoRunFailure.toStdString());
    AutoRun = enabled;
}

bool TFakePlatform::OpenUrl(const QString& url)
{
    if (url.isEmpty())
        return false;
    OpenedUrls << url;
    return true;
}

bool TFakePlatform::PlaySound(const QString& file)
{
    if (!SoundPlayable || file.isEmpty())
        return false;
    PlayedSounds << file;
    return true;
}

bool TFakePlatform::AcquireSingleInstance(const QString& name)
{
    if (!InstanceFree || AcquiredLocks.contains(name))
        return false;
    AcquiredLocks << name;
    return true;
}

QList<TScreen> TFakePlatform::Screens() const
{
    ++WorkAreaReads;
    return QList<TScreen>{{Primary, Work, PrimaryName}} + OtherScreens;
}

QList<TScreenWallpaper> TFakePlatform::ScreenWallpapers() const
{
    ++FactsReads;
    QList<TScreenWallpaper> wallpapers;
    const QList<TScreen> screens = Screens();
    for (int i = 0; i < screens.size(); ++i) {
        const auto own = ScreenFacts.find(i);
        wallpapers.append({screens[i].Geometry, own == ScreenFacts.end() ? Facts : own->second});
    }
    return wallpapers;
}

bool TFakePlatform::SetDeviceShape(QWidget* window, const QRegion& devicePixels)
{
    if (!DeviceShapeAllowed)
        return false;
    DeviceShapes[window] = devicePixels;
    return true;
}

void TFakePlatform::AttachToDesktop(QWidget* window)
{
    AttachedWindows.push_back(window);
}

void TFakePlatform::SetTaskBarPresence(QWidget* window, bool visible)
{
    TaskBarRequests.emplace_back(window, visible);
}

bool TFakePlatform::RegisterHotKey(const THotKey& key)
{
    RegisteredHotKey.reset();
    if (!HotKeyAllowed)
        return false;
    RegisteredHotKey = key;
    return true;
}

namespace {

QString AccountKey(const QString& server, const QString& user)
{
    return server + QLatin1Char(' ') + user;
}

}  // namespace

std::map<QString, QString> TFakePlatform::Passwords() const
{
    const std::lock_guard lock(SecretsLock);
    return FPasswords;
}

void TFakePlatform::SetPassword(const QString& server, const QString& user,
                                const QString& password)
{
    const std::lock_guard lock(SecretsLock);
    FPasswords[AccountKey(server, user)] = password;
}

int TFakePlatform::PasswordLookups() const
{
    const std::lock_guard lock(SecretsLock);
    return Lookups;
}

TSecretStatus TFakePlatform::LookupPassword(const QString& server, const QString& user,
                                            QString& password)
{
    const std::lock_guard lock(SecretsLock);
    ++Lookups;
    if (!SecretsAvailable)
        return TSecretStatus::Unavailable;
    const auto found = FPasswords.find(AccountKey(server, user));
    if (found == FPasswords.end())
        return TSecretStatus::Missing;
    password = found->second;
    return TSecretStatus::Found;
}

bool TFakePlatform::StorePassword(const QString& server, const QString& user,
                                  const QString& password)
{
    const std::lock_guard lock(SecretsLock);
    if (!SecretsAvailable)
        return false;
    FPasswords[AccountKey(server, user)] = password;
    return true;
}

bool TFakePlatform::ForgetPassword(const QString& server, const QString& user)
{
    const std::lock_guard lock(SecretsLock);
    if (!SecretsAvailable)
        return false;
    FPasswords.erase(AccountKey(server, user));
    return true;
}

}  // namespace orvenna::platform
