// Passwords in the Secret Service through libsecret's synchronous calls, which run their own
// main context and may be called from any thread. One item per account, under the schema
// "org.orvenna.Orvenna.Account" with the attributes "server" and "user".
//
// libsecret is loaded with the first password asked for or kept (lazylibrary.h).
//
// GLib would start a session bus of its own (dbus-launch) when none is named; a program without
// a bus takes that as "no store" instead.

#include <libsecret/secret.h>  // before Qt: GIO has a member named like Qt's "signals"

#include "platform/linux/lazylibrary.h"
#include "platform/linux/linuxplatform.h"
#include "platform/platformlog.h"

#include <QFileInfo>

namespace orvenna::platform {
namespace {

const SecretSchema* AccountSchema()
{
    static const SecretSchema schema = {
        "org.orvenna.Orvenna.Account",
        SECRET_SCHEMA_NONE,
        {
            {"server", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
        },
        0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    };
    return &schema;
}

// libsecret's calls, resolved once for the process; null when the library is missing.
struct TSecretCalls {
    decltype(&secret_password_lookup_sync) Lookup = nullptr;
    decltype(&secret_password_free) Free = nullptr;
    decltype(&secret_password_store_sync) Store = nullptr;
    decltype(&secret_password_clear_sync) Clear = nullptr;
};

const TSecretCalls* SecretCalls()
{
    static const TSecretCalls* const calls = [] {
        static TLazyLibrary library("libsecret-1.so.0");
        static TSecretCalls resolved;
        const bool all = library.Resolve(resolved.Lookup, "secret_password_lookup_sync") &&
                         library.Resolve(resolved.Free, "secret_password_free") &&
                         library.Resolve(resolved.Store, "secret_password_store_sync") &&
                         library.Resolve(resolved.Clear, "secret_password_clear_sync");
        return all ? &resolved : nullptr;
    }();
    return calls;
}

// A session bus is named in the environment or waits at its usual place.
bool HasSessionBus()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

// Logs and frees the error; true when there was one.
bool Failed(GError* error, const char* what)
{
    if (error == nullptr)
        return false;
    qCInfo(lcPlatform) << "Secret Service:" << what << error->message;
    g_error_free(error);
    return true;
}

}  // namespace

TSecretStatus TLinuxPlatform::LookupPassword(const QString& server, const QString& user,
                                             QString& password)
{
    const TSecretCalls* secret = HasSessionBus() ? SecretCalls() : nullptr;
    if (!secret)
        return TSecretStatus::Unavailable;
    GError* error = nullptr;
    gchar* found = secret->Lookup(
        AccountSchema(), nullptr, &error, "server", server.toUtf8().constData(), "user",
        user.toUtf8().constData(), nullptr);
    if (Failed(error, "lookup"))
        return TSecretStatus::Unavailable;
    if (found == nullptr)
        return TSecretStatus::Missing;
    password = QString::fromUtf8(found);
    secret->Free(found);
    return TSecretStatus::Found;
}

bool TLinuxPlatform::StorePassword(const QString& server, const QString& user,
                                   const QString& password)
{
    const TSecretCalls* secret = HasSessionBus() ? SecretCalls() : nullptr;
    if (!secret)
        return false;
    const QByteArray label = QStringLiteral("Orvenna: %1 at %2").arg(user, server).toUtf8();
    GError* error = nullptr;
    const gboolean stored = secret->Store(
        AccountSchema(), SECRET_COLLECTION_DEFAULT, label.constData(),
        password.toUtf8().constData(), nullptr, &error, "server", server.toUtf8().constData(),
        "user", user.toUtf8().constData(), nullptr);
    return !Failed(error, "store") && stored;
}

bool TLinuxPlatform::ForgetPassword(const QString& server, const QString& user)
{
    const TSecretCalls* secret = HasSessionBus() ? SecretCalls() : nullptr;
    if (!secret)
        return false;
    GError* error = nullptr;
    secret->Clear(AccountSchema(), nullptr, &error, "server", server.toUtf8().constData(),
                  "user", user.toUtf8().constData(), nullptr);
    return !Failed(error, "clear");
}

}  // namespace orvenna::platform
