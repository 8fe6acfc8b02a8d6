// The autostart entry, read back the way a session manager reads it: the Exec value is
// unescaped as a desktop-file string, then split into arguments by the quoting rules.
//
// Run with "--set-autorun on|off" the program is its own child: it switches the entry of its
// own executable and prints its program folder. The tests run copies of it under hostile
// names.

#include "platform/linux/linuxplatform.h"
#include "platform/linux/shellrules.h"
#include "platform/linux/xdgpaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <optional>

#include <unistd.h>  // link

using orvenna::platform::AutostartEntryText;
using orvenna::platform::AutostartFolder;
using orvenna::platform::ConfigHome;
using orvenna::platform::QuoteExecArgument;
using orvenna::platform::TLinuxPlatform;

namespace {

// Undoes the string escapes of a desktop-file value.
QString UnescapeStringValue(const QString& value)
{
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case u's': text += u' '; break;
        case u'n': text += u'\n'; break;
        case u't': text += u'\t'; break;
        case u'r': text += u'\r'; break;
        default: text += next;  // "\\" and anything unknown
        }
    }
    return text;
}

// Splits an unescaped Exec value into arguments; none when the quoting is malformed.
std::optional<QStringList> SplitExec(const QString& exec)
{
    QStringList arguments;
    qsizetype i = 0;
    while (i < exec.size()) {
        if (exec[i] == u' ') {
            ++i;
            continue;
        }
        QString argument;
        if (exec[i] == u'"') {
            for (++i; i < exec.size() && exec[i] != u'"'; ++i) {
                if (exec[i] == u'`' || exec[i] == u'$')
                    return std::nullopt;  // must be escaped inside quotes too
                if (exec[i] == u'\\') {
                    if (++i == exec.size() || !QStringLiteral("\"`$\\").contains(exec[i]))
                        return std::nullopt;
                }
                argument += exec[i];
            }
            if (i++ == exec.size())
                return std::nullopt;
        } else {
            for (; i < exec.size() && exec[i] != u' '; ++i) {
                if (QStringLiteral("\"'\\><~|&;$*?#()`").contains(exec[i]))
                    return std::nullopt;  // reserved characters must be quoted
                argument += exec[i];
            }
        }
        arguments << argument.replace(QLatin1String("%%"), QLatin1String("%"));
    }
    return arguments;
}

// The Exec line of an entry, read back into its arguments.
std::optional<QStringList> ExecArguments(const QString& entry)
{
    const QStringList lines = entry.split(u'\n');
    QStringList execLines;
    for (const QString& line : lines)
        if (line.startsWith(QLatin1String("Exec=")))
            execLines << line.mid(5);
    if (execLines.size() != 1)
        return std::nullopt;
    return SplitExec(UnescapeStringValue(execLines.front()));
}

QString ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A hard link (or copy) of this test program under the given path, made executable.
bool PlaceCopy(const QString& target)
{
    const QByteArray source = QFile::encodeName(QCoreApplication::applicationFilePath());
    if (::link(source.constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    return QFile::copy(QCoreApplication::applicationFilePath(), target)
        && QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

int RunAsChild(const char* mode)
{
    TLinuxPlatform platform;
    platform.SetAutoRun(qstrcmp(mode, "on") == 0);
    std::fputs(platform.ProgramFolder().toUtf8().constData(), stdout);
    return 0;
}

const QString Hostile = QStringLiteral("a \"quoted\" $HOME `id` 100% \\back\\ 'single'");

}  // namespace

class TAutostartTest final : public QObject {
    Q_OBJECT

    QTemporaryDir Config;
    QString EntryPath() const { return Config.path() + QLatin1String("/autostart/orvenna.desktop"); }

    // Runs a copy of this program at the path and returns what it printed.
    QString RunCopy(const QString& program, const char* mode)
    {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Config.path());
        child.setProcessEnvironment(environment);
        child.start(program, {QStringLiteral("--set-autorun"), QString::fromLatin1(mode)});
        if (!child.waitForFinished(20000) || child.exitCode() != 0)
            return QStringLiteral("<child failed: %1>").arg(child.errorString());
        return QString::fromUtf8(child.readAllStandardOutput());
    }

private slots:
    void init()
    {
        QVERIFY(Config.isValid());
        QDir(Config.path()).removeRecursively();
        QVERIFY(QDir().mkpath(Config.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Config.path()));
    }

    void quotedPathReadsBackAsOneArgument_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/opt/orvenna/orvenna";
        QTest::newRow("spaces") << "/home/ann/My Programs/orvenna calendar";
        QTest::newRow("double quotes") << "/tmp/\"x\" \"y\"/orvenna";
        QTest::newRow("shell expansion") << "/tmp/$HOME/`rm -rf ~`/$(id)/orvenna";
        QTest::newRow("backslashes") << "/tmp/a\\b\\\\c\\/orvenna\\";
        QTest::newRow("field codes") << "/tmp/%f %U %%/orvenna";
        QTest::newRow("line breaks") << "/tmp/one\ntwo\tthree\rfour/orvenna";
        QTest::newRow("everything") << "/tmp/" + Hostile + "/orvenna";
        QTest::newRow("non-ASCII") << QStringLiteral("/home/zoë/Календарь/orvenna");
    }

    void quotedPathReadsBackAsOneArgument()
    {
        QFETCH(QString, path);
        const QString entry = AutostartEntryText(path);
        const std::optional<QStringList> arguments = ExecArguments(entry);
        QVERIFY2(arguments.has_value(), qPrintable(entry));
        QCOMPARE(*arguments, QStringList{path});
    }

    void quotingFollowsTheDesktopEntryRules()
    {
        // Quote escapes first ("\$", "\\"), then the string escape doubles every backslash.
        QCOMPARE(QuoteExecArgument(QStringLiteral("/a b/\"x\"$y\\z`%")),
                 QStringLiteral("\"/a b/\\\\\"x\\\\\"\\\\$y\\\\\\\\z\\\\`%%\""));
    }

    void pathWithControlCharactersGetsNoEntry()
    {
        QCOMPARE(AutostartEntryText(QStringLiteral("/tmp/a\x01" "b/orvenna")), QString());
        QCOMPARE(AutostartEntryText(QString()), QString());
    }

    // One rule for the configuration folder, shared with the wallpaper sources.
    void autostartFolderFollowsXdgConfigHome_data()
    {
        QTest::addColumn<QByteArray>("configHome");  // "-": unset
        QTest::addColumn<QString>("folder");
        const QString fallback = QStringLiteral("/home/tester/.config/autostart/");
        QTest::newRow("absolute") << QByteArray("/srv/cfg") << "/srv/cfg/autostart/";
        QTest::newRow("trailing slash") << QByteArray("/srv/cfg/") << "/srv/cfg/autostart/";
        QTest::newRow("root") << QByteArray("/") << "/autostart/";
        QTest::newRow("unset") << QByteArray("-") << fallback;
        QTest::newRow("empty") << QByteArray("") << fallback;
        QTest::newRow("relative") << QByteArray("cfg") << fallback;
        QTest::newRow("dot relative") << QByteArray("./cfg") << fallback;
    }

    void autostartFolderFollowsXdgConfigHome()
    {
        QFETCH(QByteArray, configHome);
        QFETCH(QString, folder);
        const QByteArray home = qgetenv("HOME");
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", "/home/tester");
        if (configHome == "-")
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", configHome);
        const QString found = AutostartFolder();
        const QString base = ConfigHome();
        qputenv("HOME", home);
        qputenv("XDG_CONFIG_HOME", config);
        QCOMPARE(found, folder);
        QCOMPARE(base + (base.endsWith(u'/') ? "" : "/") + "autostart/", folder);
        QVERIFY(!base.endsWith(u'/') || base == QLatin1String("/"));
    }

    void entryIsWrittenReplacedAndRemoved()
    {
        TLinuxPlatform platform;
        QVERIFY(!platform.IsAutoRunEnabled());
        QVERIFY(QDir().mkpath(Config.path() + QLatin1String("/autostart")));
        QFile stale(EntryPath());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("[Desktop Entry]\nType=Application\nExec=/old/place/orvenna\n");
        stale.close();

        platform.SetAutoRun(true);
        platform.SetAutoRun(true);
        const QStringList entries = QDir(Config.path() + QLatin1String("/autostart")).entryList(QDir::Files);
        QCOMPARE(entries, QStringList{QStringLiteral("orvenna.desktop")});
        const QString entry = ReadFile(EntryPath());
        QVERIFY(entry.startsWith(QLatin1String("[Desktop Entry]\n")));
        QVERIFY(entry.contains(QLatin1String("\nType=Application\n")));
        QVERIFY(entry.contains(QLatin1String("\nName=Orvenna\n")));
        QCOMPARE(ExecArguments(entry), QStringList{platform.ExecutablePath()});
        QVERIFY(platform.IsAutoRunEnabled());

        platform.SetAutoRun(false);
        QVERIFY(!QFile::exists(EntryPath()));
        QVERIFY(!platform.IsAutoRunEnabled());
        platform.SetAutoRun(false);  // absent: silent
        QVERIFY(QDir(Config.path() + QLatin1String("/autostart")).isEmpty());
    }

    void entryHiddenBySessionCountsAsOff()
    {
        QVERIFY(QDir().mkpath(Config.path() + QLatin1String("/autostart")));
        QFile hidden(EntryPath());
        QVERIFY(hidden.open(QIODevice::WriteOnly));
        hidden.write("[Desktop Entry]\nType=Application\nExec=orvenna\nHidden=true\n");
        hidden.close();
        QVERIFY(!TLinuxPlatform().IsAutoRunEnabled());
    }

    void hostileExecutablePathRoundTrips()
    {
        QTemporaryDir place;
        const QString folder = place.path() + u'/' + Hostile;
        QVERIFY(QDir().mkpath(folder));
        const QString program = folder + QLatin1String("/orvenna $1 \"x\"");
        QVERIFY(PlaceCopy(program));

        QCOMPARE(RunCopy(program, "on"), folder + u'/');
        QCOMPARE(ExecArguments(ReadFile(EntryPath())), QStringList{program});
        QCOMPARE(RunCopy(program, "off"), folder + u'/');
        QVERIFY(!QFile::exists(EntryPath()));
    }

    void symlinkedExecutableIsResolved()
    {
        QTemporaryDir place;
        QVERIFY(QDir().mkpath(place.path() + QLatin1String("/real")));
        QVERIFY(QDir().mkpath(place.path() + QLatin1String("/links")));
        const QString program = place.path() + QLatin1String("/real/orvenna");
        const QString link = place.path() + QLatin1String("/links/orvenna");
        QVERIFY(PlaceCopy(program));
        QVERIFY(QFile::link(program, link));
        const QString realFolder = QFileInfo(place.path()).canonicalFilePath() + QLatin1String("/real/");
        QCOMPARE(RunCopy(link, "on"), realFolder);
        QCOMPARE(ExecArguments(ReadFile(EntryPath())), QStringList{realFolder + QLatin1String("orvenna")});
    }

    void unwritableEntryInItsFolderIsReported()
    {
        // A folder where the entry must be: the autostart folder is there, the entry cannot be
        // written.
        const QString entry = Config.path() + QLatin1String("/autostart/") +
                              QLatin1String(orvenna::platform::AutostartFileName);
        QVERIFY(QDir().mkpath(entry));
        TLinuxPlatform platform;
        try {
            platform.SetAutoRun(true);
            QFAIL("an entry that cannot be written was not reported");
        } catch (const std::runtime_error& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("Failed to set data for '%1'").arg(entry));
        }
        QVERIFY(QFileInfo(entry).isDir());
    }

    void unwritableFolderIsSilent_data()
    {
        QTest::addColumn<QString>("blocker");  // a plain file where a folder must be
        QTest::newRow("config home is a file") << "";
        QTest::newRow("autostart is a file") << "/autostart";
    }

    void unwritableFolderIsSilent()
    {
        QFETCH(QString, blocker);
        const QString home = Config.path() + QLatin1String("/config");
        QFile file(home + blocker);
        QVERIFY(QDir().mkpath(blocker.isEmpty() ? Config.path() : home));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home));
        TLinuxPlatform platform;
        platform.SetAutoRun(true);
        QVERIFY(!platform.IsAutoRunEnabled());
        platform.SetAutoRun(false);
        QVERIFY(QFileInfo(home + blocker).isFile());
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--set-autorun") == 0)
        return RunAsChild(argv[2]);
    QCoreApplication app(argc, argv);
    TAutostartTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_autostart.moc"
