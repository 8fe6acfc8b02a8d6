#include "platform/platform.h"

#include <QKeySequence>

namespace orvenna::platform {

QString THotKey::Text() const
{
    return QKeySequence(QKeyCombination(Modifiers, Key)).toString(QKeySequence::PortableText);
}

TPlatform::TPlatform(QObject* parent) : QObject(parent) {}

TPlatform::~TPlatform() = default;

}  // namespace orvenna::platform
