#include "platform/platform.h"

#include <QKeySequence>

namespace orvenna::platform {

QString THotKey::Text() const
{
    return QKeySequence(QKeyCombination(Modifiers, Key)).toString(QKeySequence::PortableText);
}

TPlatform::TPlatform(QObject* parent) : QObject(parent) {}

TPlatform::~TPlatform() = default;

TSecretStatus TPlatform::LookupPassword(const QString&, const QString&, QString&)
{
    return TSecretStatus::Unavailable;
}

bool TPlatform::StorePassword(const QString&, const QString&, const QString&)
{
    return false;
}

bool TPlatform::ForgetPassword(const QString&, const QString&)
{
    return false;
}

QList<TScreenWallpaper> TPlatform::ScreenWallpapers() const
{
    QList<TScreenWallpaper> wallpapers;
    const QList<TScreen> screens = Screens();
    if (screens.isEmpty())
        return wallpapers;
    const TDesktopFacts facts = DesktopFacts();  // one reading for all, so they belong together
    for (const TScreen& screen : screens)
        wallpapers.append({screen.Geometry, facts});
    return wallpapers;
}

bool TPlatform::SetDeviceShape(QWidget*, const QRegion&)
{
    return false;
}

}  // namespace orvenna::platform
