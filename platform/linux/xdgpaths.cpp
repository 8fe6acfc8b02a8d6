#include "platform/linux/xdgpaths.h"

#include "platform/programfolder.h"

#include <QFile>

namespace orvenna::platform {

QString ConfigHome()
{
    return QFile::decodeName(QByteArray::fromStdString(ConfigHomePath().string()));
}

}  // namespace orvenna::platform
