#include "platform/fake/fakeplatform.h"

#include <stdexcept>

namespace orvenna::platform {

void TFakePlatform::ChangeDesktopFacts(const TDesktopFacts& facts)
{
    Facts = facts;
    if (DesktopFactsHandler)
        DesktopFactsHandler();
}

void TFakePlatform::PressHotKey()
{
    if (HotKeyHandler)
        HotKeyHandler();
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

void TFakePlatform::WatchDesktopFacts(std::function<void()> onChange)
{
    DesktopFactsHandler = std::move(onChange);
}

void TFakePlatform::AttachToDesktop(QWidget* window)
{
    AttachedWindows.push_back(window);
}

void TFakePlatform::SetTaskBarPresence(QWidget* window, bool visible)
{
    TaskBarRequests.emplace_back(window, visible);
}

bool TFakePlatform::RegisterHotKey(std::function<void()> onPressed)
{
    if (!HotKeyAllowed)
        return false;
    HotKeyHandler = std::move(onPressed);
    return true;
}

}  // namespace orvenna::platform
