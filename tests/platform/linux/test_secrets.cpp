// The Linux adapter's passwords in a real Secret Service (run inside
// tests/support/keyring_session.sh): stored, found, replaced and removed per account, and no
// store at all without a session bus, where no bus may be started for the lookup.
#include "platform/linux/linuxplatform.h"

#include <QTemporaryDir>
#include <QTest>

using orvenna::platform::TLinuxPlatform;
using orvenna::platform::TSecretStatus;

class TSecretsTest final : public QObject {
    Q_OBJECT

private slots:
    void passwordsPerAccount()
    {
        TLinuxPlatform platform;
        const QString server = QStringLiteral("https://cloud.example.org/dav/");
        QString found;
        QCOMPARE(platform.LookupPassword(server, QStringLiteral("anna"), found), TSecretStatus::Missing);
        QVERIFY(platform.StorePassword(server, QStringLiteral("anna"), QStringLiteral("pässwörd 1")));
        QVERIFY(platform.StorePassword(server, QStringLiteral("bob"), QStringLiteral("bob's")));
        QVERIFY(platform.StorePassword(server, QStringLiteral("anna"), QStringLiteral("second")));
        // Each account has its own, and a store replaces what was there.
        const struct {
            QString Server, User;
            TSecretStatus Status;
            QString Password;
        } cases[] = {
            {server, QStringLiteral("anna"), TSecretStatus::Found, QStringLiteral("second")},
            {server, QStringLiteral("bob"), TSecretStatus::Found, QStringLiteral("bob's")},
            {server, QStringLiteral("ann"), TSecretStatus::Missing, {}},
            {QStringLiteral("https://cloud.example.org/"), QStringLiteral("anna"), TSecretStatus::Missing, {}},
        };
        for (const auto& c : cases) {
            QString password;
            QCOMPARE(platform.LookupPassword(c.Server, c.User, password), c.Status);
            QCOMPARE(password, c.Password);
        }
        QVERIFY(platform.ForgetPassword(server, QStringLiteral("anna")));
        QCOMPARE(platform.LookupPassword(server, QStringLiteral("anna"), found), TSecretStatus::Missing);
        QCOMPARE(platform.LookupPassword(server, QStringLiteral("bob"), found), TSecretStatus::Found);
    }

    void noSessionBusNoStore()
    {
        TLinuxPlatform platform;
        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        QTemporaryDir empty;
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("XDG_RUNTIME_DIR", empty.path().toLocal8Bit());
        QString found;
        const TSecretStatus status =
            platform.LookupPassword(QStringLiteral("https://x/"), QStringLiteral("bob"), found);
        const bool stored = platform.StorePassword(QStringLiteral("https://x/"), QStringLiteral("a"),
                                                   QStringLiteral("p"));
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
        qputenv("XDG_RUNTIME_DIR", runtime);
        QCOMPARE(status, TSecretStatus::Unavailable);
        QVERIFY(!stored);
    }
};

QTEST_GUILESS_MAIN(TSecretsTest)
#include "test_secrets.moc"
