#pragma once
// A system library that only some users need (the Secret Service's, the sound server's), loaded
// by its file name when first used instead of at the start: until then neither it nor what it
// brings with it costs start-up time or memory. The calls are declared by the library's own
// header and resolved by name; a library or call that is missing makes the feature unavailable,
// never the program fail.

#include "platform/platformlog.h"

#include <QLibrary>

namespace orvenna::platform {

class TLazyLibrary {
public:
    // fileName with its version, as the linker would have recorded it ("libcanberra.so.0").
    explicit TLazyLibrary(const char* fileName) : Library(QString::fromLatin1(fileName)) {}

    // Resolves the call into target (declared as decltype(&the_call)); false, logged, when the
    // library or the call is missing.
    template <typename TCall>
    bool Resolve(TCall& target, const char* name)
    {
        target = reinterpret_cast<TCall>(Library.resolve(name));
        // QLibrary words a call that is missing from a loaded library as "Unknown error".
        if (!target)
            qCInfo(lcPlatform) << "cannot use" << Library.fileName() << name
                               << (Library.isLoaded() ? QStringLiteral("no such call in the library")
                                                      : Library.errorString());
        return target != nullptr;
    }

private:
    QLibrary Library;
};

}  // namespace orvenna::platform
