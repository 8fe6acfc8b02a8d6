#include "platform/linux/xdgpaths.h"

#include <QDir>

namespace orvenna::platform {

QString ConfigHome()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QLatin1String("/.config");
    while (base.size() > 1 && base.endsWith(u'/'))
        base.chop(1);
    return base;
}

}  // namespace orvenna::platform
