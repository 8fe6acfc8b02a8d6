// The Linux desktop facts: each source read from a configuration written by the test (GSettings
// through its keyfile backend in a private XDG_CONFIG_HOME), the order of the sources, the
// change watch while an event loop runs, and when GIO gets loaded (in a new process of this test,
// started with --report-facts: GIO stays loaded once a process has used it).

#include "platform/linux/desktopsources.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace orvenna::platform;

Q_DECLARE_METATYPE(TDesktopFacts)

namespace {

const char* PlacementName(TWallpaperPlacement placement)
{
    constexpr const char* Names[] = {"centred", "tiled", "stretched", "fill", "fit", "spanned"};
    return Names[static_cast<int>(placement)];
}

// One line per facts, so that QCOMPARE shows what differs.
QString Describe(const TDesktopFacts& facts)
{
    if (facts.WallpaperPath.isEmpty())
        return QStringLiteral("no wallpaper on %1").arg(facts.DesktopColor.name());
    return QStringLiteral("%1 %2 on %3").arg(facts.WallpaperPath, PlacementName(facts.Placement),
                                            facts.DesktopColor.name());
}
QString Describe(const std::optional<TDesktopFacts>& facts)
{
    return facts ? Describe(*facts) : QStringLiteral("no answer");
}

void WriteFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(text), text.size());
}

// Another process changes a key, as the desktop's settings panel would.
void GSettingsSet(const QString& schema, const QString& key, const QString& value)
{
    QProcess gsettings;
    gsettings.start(QStringLiteral("gsettings"), {QStringLiteral("set"), schema, key, value});
    QVERIFY(gsettings.waitForFinished(10000));
    QVERIFY2(gsettings.exitCode() == 0, gsettings.readAllStandardError().constData());
}

QByteArray XfceChannel(const QByteArray& monitor, const QByteArray& backdrop)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<channel name=\"xfce4-desktop\" version=\"1.0\">\n"
           "  <property name=\"backdrop\" type=\"empty\">\n"
           "    <property name=\"screen0\" type=\"empty\">\n"
           "      <property name=\"" + monitor + "\" type=\"empty\">\n" + backdrop +
           "      </property>\n    </property>\n  </property>\n</channel>\n";
}

QByteArray XfceWorkspace(const QByteArray& image, int style)
{
    return "<property name=\"workspace0\" type=\"empty\">\n"
           "  <property name=\"color-style\" type=\"int\" value=\"0\"/>\n"
           "  <property name=\"image-style\" type=\"int\" value=\"" + QByteArray::number(style) + "\"/>\n"
           "  <property name=\"last-image\" type=\"string\" value=\"" + image + "\"/>\n"
           "  <property name=\"rgba1\" type=\"array\">\n"
           "    <value type=\"double\" value=\"0.2\"/><value type=\"double\" value=\"0.4\"/>\n"
           "    <value type=\"double\" value=\"0.6\"/><value type=\"double\" value=\"1\"/>\n"
           "  </property>\n</property>\n";
}

QByteArray PlasmaFile(const QByteArray& wallpaperGroup)
{
    return "[ActionPlugins][0]\nRightButton;NoModifier=org.kde.contextmenu\n\n"
           "[Containments][2]\nactivityId=\nformfactor=2\nlastScreen=0\nplugin=org.kde.panel\n"
           "wallpaperplugin=org.kde.image\n\n"
           "[Containments][2][Wallpaper][org.kde.image][General]\nImage=file:///panel.png\n\n"
           "[Containments][7]\nactivityId=4d1b\nformfactor=0\nlastScreen=1\nplugin=org.kde.plasma.folder\n"
           "wallpaperplugin=org.kde.image\n\n"
           "[Containments][7][Wallpaper][org.kde.image][General]\nImage=file:///other-screen.jpg\n\n"
           "[Containments][9]\nactivityId=4d1b\nformfactor=0\nlastScreen=0\nplugin=org.kde.desktopcontainment\n"
           "wallpaperplugin=org.kde.image\n\n" + wallpaperGroup;
}

// Whether this process has loaded the system's GIO (a stand-in under FakeGioFolder is not it).
bool SystemGioLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : maps.readAll().split('\n'))
        if (line.contains("/libgio-2.0.so") && !line.contains(FakeGioFolder))
            return true;
    return false;
}

// The child's side: the facts, with the watch begun, whether GIO got loaded for them and, if it
// did, whether a change of a GSettings key is heard.
int ReportFacts(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const auto platform = CreateSystemPlatform();
    int changes = 0;
    QObject::connect(platform.get(), &TPlatform::DesktopFactsChanged, [&] { ++changes; });
    const QString facts = Describe(platform->DesktopFacts());
    QString gio = QStringLiteral("GIO not loaded");
    if (SystemGioLoaded()) {
        GSettingsSet(QStringLiteral("org.gnome.desktop.background"), QStringLiteral("primary-color"),
                     QStringLiteral("#000001"));
        const bool heard = QTest::qWaitFor([&] { return changes > 0; }, 5000);
        gio = heard ? QStringLiteral("GIO loaded and watched") : QStringLiteral("GIO loaded, not watched");
    }
    std::printf("%s, %s\n", qPrintable(facts), qPrintable(gio));
    return 0;
}

}  // namespace

class TDesktopFactsTest final : public QObject {
    Q_OBJECT

public:
    explicit TDesktopFactsTest(QString configHome) : ConfigHomeDir(std::move(configHome)) {}

private:
    QString ConfigHomeDir;

private Q_SLOTS:
    void cleanup()
    {
        qunsetenv("XDG_CURRENT_DESKTOP");
        QFile::remove(XfceDesktopFile(ConfigHomeDir));
        QFile::remove(PlasmaAppletsFile(ConfigHomeDir));
        QFile::remove(PlasmaShellFile(ConfigHomeDir));
    }

    void sourceOrderPutsTheRunningDesktopFirst_data()
    {
        QTest::addColumn<QString>("currentDesktop");
        QTest::addColumn<int>("first");
        QTest::newRow("unset") << "" << int(TDesktopSource::Gnome);
        QTest::newRow("XFCE") << "XFCE" << int(TDesktopSource::Xfce);
        QTest::newRow("Plasma") << "KDE" << int(TDesktopSource::Plasma);
        QTest::newRow("Cinnamon") << "X-Cinnamon" << int(TDesktopSource::Cinnamon);
        QTest::newRow("MATE, lower case") << "mate" << int(TDesktopSource::Mate);
        QTest::newRow("Ubuntu's list") << "ubuntu:GNOME" << int(TDesktopSource::Gnome);
        QTest::newRow("unknown") << "sway" << int(TDesktopSource::Gnome);
    }
    void sourceOrderPutsTheRunningDesktopFirst()
    {
        QFETCH(QString, currentDesktop);
        QFETCH(int, first);
        const auto order = SourceOrder(currentDesktop);
        QCOMPARE(order.size(), std::size_t(5));
        QCOMPARE(int(order.front()), first);
    }

    void gnomeFactsComeFromGSettings_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zoom is fill") << "file:///usr/share/a%20b.jpg" << "zoom" << "/usr/share/a b.jpg fill on #102030";
        QTest::newRow("scaled is fit") << "file:///w.png" << "scaled" << "/w.png fit on #102030";
        QTest::newRow("wallpaper is tiled") << "file:///w.png" << "wallpaper" << "/w.png tiled on #102030";
        QTest::newRow("centered") << "file:///w.png" << "centered" << "/w.png centred on #102030";
        QTest::newRow("stretched") << "file:///w.png" << "stretched" << "/w.png stretched on #102030";
        QTest::newRow("spanned") << "file:///w.png" << "spanned" << "/w.png spanned on #102030";
        QTest::newRow("none is the colour alone") << "file:///w.png" << "none" << "no wallpaper on #102030";
        QTest::newRow("a web address is no local file") << "https://example.org/w.png" << "zoom" << "no wallpaper on #102030";
    }
    void gnomeFactsComeFromGSettings()
    {
        QFETCH(QString, uri);
        QFETCH(QString, options);
        QFETCH(QString, expected);
        const QString schema = QStringLiteral("org.gnome.desktop.background");
        GSettingsSet(schema, QStringLiteral("primary-color"), QStringLiteral("#102030"));
        GSettingsSet(schema, QStringLiteral("picture-options"), options);
        GSettingsSet(schema, QStringLiteral("picture-uri"), uri);
        QTRY_COMPARE(Describe(ReadFacts(TDesktopSource::Gnome, {})), expected);
    }

    void gsettingsValuesOfTheOtherDesktops_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<bool>("draw");
        QTest::addColumn<QString>("expected");
        QTest::newRow("MATE's plain path") << "/usr/share/backgrounds/mate.jpg" << "zoom" << "#3C8F25" << true
                                           << "/usr/share/backgrounds/mate.jpg fill on #3c8f25";
        QTest::newRow("MATE without background") << "/m.jpg" << "stretched" << "#000000" << false
                                                 << "no wallpaper on #000000";
        QTest::newRow("colour not understood") << "file:///c.jpg" << "centered" << "blue-ish" << true
                                               << "/c.jpg centred on #000000";
        QTest::newRow("16-bit colour") << "file:///c.jpg" << "spanned" << "#ffff00000000" << true
                                       << "/c.jpg spanned on #ff0000";
    }
    void gsettingsValuesOfTheOtherDesktops()
    {
        QFETCH(QString, picture);
        QFETCH(QString, options);
        QFETCH(QString, colour);
        QFETCH(bool, draw);
        QFETCH(QString, expected);
        QCOMPARE(Describe(FactsFromGSettings({picture, options, colour, draw})), expected);
    }

    void darkSchemeTakesTheDarkPicture()
    {
        const QString schema = QStringLiteral("org.gnome.desktop.background");
        GSettingsSet(schema, QStringLiteral("picture-options"), QStringLiteral("zoom"));
        GSettingsSet(schema, QStringLiteral("picture-uri"), QStringLiteral("file:///light.jpg"));
        GSettingsSet(schema, QStringLiteral("picture-uri-dark"), QStringLiteral("file:///dark.jpg"));
        GSettingsSet(QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("color-scheme"),
                     QStringLiteral("prefer-dark"));
        QTRY_VERIFY(ReadFacts(TDesktopSource::Gnome, {})->WallpaperPath == QLatin1String("/dark.jpg"));
        GSettingsSet(QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("color-scheme"),
                     QStringLiteral("default"));
        QTRY_VERIFY(ReadFacts(TDesktopSource::Gnome, {})->WallpaperPath == QLatin1String("/light.jpg"));
    }

    void xfceBackdropOfThePrimaryMonitor_data()
    {
        QTest::addColumn<QByteArray>("channel");
        QTest::addColumn<QString>("monitor");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zoomed, by output name") << XfceChannel("monitorHDMI-1", XfceWorkspace("/x/a.jpg", 5))
                                                << "HDMI-1" << "/x/a.jpg fill on #336699";
        QTest::newRow("scaled is fit") << XfceChannel("monitor0", XfceWorkspace("/x/a.jpg", 4)) << "DP-2"
                                       << "/x/a.jpg fit on #336699";
        QTest::newRow("tiled") << XfceChannel("monitor0", XfceWorkspace("/x/a.jpg", 2)) << "" << "/x/a.jpg tiled on #336699";
        QTest::newRow("centred") << XfceChannel("monitor0", XfceWorkspace("/x/a.jpg", 1)) << "" << "/x/a.jpg centred on #336699";
        QTest::newRow("stretched") << XfceChannel("monitor0", XfceWorkspace("/x/a.jpg", 3)) << "" << "/x/a.jpg stretched on #336699";
        QTest::newRow("spanning") << XfceChannel("monitor0", XfceWorkspace("/x/a.jpg", 6)) << "" << "/x/a.jpg spanned on #336699";
        QTest::newRow("style none") << XfceChannel("monitor0", XfceWorkspace("/x/a.jpg", 0)) << "" << "no wallpaper on #336699";
        QTest::newRow("another monitor only") << XfceChannel("monitorVGA-1", XfceWorkspace("/x/b.png", 3)) << "HDMI-1"
                                              << "/x/b.png stretched on #336699";
        QTest::newRow("before workspaces, 16-bit colour")
            << XfceChannel("monitor0", "<property name=\"image-path\" type=\"string\" value=\"/old.png\"/>\n"
                                       "<property name=\"image-style\" type=\"int\" value=\"2\"/>\n"
                                       "<property name=\"color1\" type=\"array\"><value type=\"uint\" value=\"65535\"/>"
                                       "<value type=\"uint\" value=\"0\"/><value type=\"uint\" value=\"0\"/>"
                                       "<value type=\"uint\" value=\"65535\"/></property>\n")
            << "" << "/old.png tiled on #ff0000";
        QTest::newRow("no backdrop") << QByteArray("<channel name=\"xfce4-desktop\" version=\"1.0\"/>") << "" << "no answer";
        QTest::newRow("not XML") << QByteArray("<channel><property name=\"backdrop\"") << "" << "no answer";
    }
    void xfceBackdropOfThePrimaryMonitor()
    {
        QFETCH(QByteArray, channel);
        QFETCH(QString, monitor);
        QFETCH(QString, expected);
        WriteFile(XfceDesktopFile(ConfigHomeDir), channel);
        QCOMPARE(Describe(ReadXfceFacts(ConfigHomeDir, {monitor, 0, {}})), expected);
    }

    // XFCE keeps a backdrop per monitor: by output name, by the older number, else the first.
    void xfceBackdropOfEachMonitor_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");
        QTest::newRow("second by name") << "DUMMY1" << 1 << "/x/b.png centred on #336699";
        QTest::newRow("first by name") << "DUMMY0" << 0 << "/x/a.jpg fill on #336699";
        QTest::newRow("unknown name, numbered key") << "HDMI-2" << 2 << "/x/c.png stretched on #336699";
        QTest::newRow("unknown name and number: monitor0") << "HDMI-2" << 5 << "/x/d.png tiled on #336699";
        QTest::newRow("no name") << "" << 2 << "/x/c.png stretched on #336699";
    }
    void xfceBackdropOfEachMonitor()
    {
        QFETCH(QString, output);
        QFETCH(int, index);
        QFETCH(QString, expected);
        QByteArray channel = XfceChannel("monitorDUMMY0", XfceWorkspace("/x/a.jpg", 5));
        const QByteArray others = "      <property name=\"monitorDUMMY1\" type=\"empty\">\n" + XfceWorkspace("/x/b.png", 1) +
                                  "      </property>\n      <property name=\"monitor2\" type=\"empty\">\n" +
                                  XfceWorkspace("/x/c.png", 3) +
                                  "      </property>\n      <property name=\"monitor0\" type=\"empty\">\n" +
                                  XfceWorkspace("/x/d.png", 2) + "      </property>\n";
        channel.replace("    </property>\n  </property>\n</channel>", others + "    </property>\n  </property>\n</channel>");
        WriteFile(XfceDesktopFile(ConfigHomeDir), channel);
        QCOMPARE(Describe(ReadXfceFacts(ConfigHomeDir, {output, index, {}})), expected);
    }

    // Plasma keeps a desktop containment per screen, numbered by the connectors it has seen.
    void plasmaContainmentOfEachScreen_data()
    {
        QTest::addColumn<QByteArray>("shell");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");
        const QByteArray connectors = "[ScreenConnectors]\n0=DUMMY0\n1=DUMMY1\n";
        QTest::newRow("second screen by connector") << connectors << "DUMMY1" << 1 << "/other-screen.jpg fill on #000000";
        QTest::newRow("first screen by connector") << connectors << "DUMMY0" << 1 << "/sea.jpg fill on #000000";
        QTest::newRow("connectors swapped") << QByteArray("[ScreenConnectors]\n0=DUMMY1\n1=DUMMY0\n") << "DUMMY1" << 1
                                            << "/sea.jpg fill on #000000";
        QTest::newRow("no shell file: by place") << QByteArray() << "DUMMY1" << 1 << "/other-screen.jpg fill on #000000";
        QTest::newRow("no containment there: screen 0") << connectors << "HDMI-3" << 4 << "/sea.jpg fill on #000000";
    }
    void plasmaContainmentOfEachScreen()
    {
        QFETCH(QByteArray, shell);
        QFETCH(QString, output);
        QFETCH(int, index);
        QFETCH(QString, expected);
        WriteFile(PlasmaAppletsFile(ConfigHomeDir), PlasmaFile("[Containments][9][Wallpaper][org.kde.image][General]\nImage=/sea.jpg\n"));
        if (!shell.isEmpty())
            WriteFile(PlasmaShellFile(ConfigHomeDir), "[General]\nx=1\n\n" + shell);
        QCOMPARE(Describe(ReadPlasmaFacts(ConfigHomeDir, {output, index, {}})), expected);
    }

    void plasmaDesktopContainmentOfTheFirstScreen_data()
    {
        QTest::addColumn<QByteArray>("wallpaper");
        QTest::addColumn<QString>("expected");
        const QByteArray group = "[Containments][9][Wallpaper][org.kde.image][General]\n";
        QTest::newRow("default fill mode is fill") << group + "Image=file:///home/u/Pictures/sea.jpg\n"
                                                   << "/home/u/Pictures/sea.jpg fill on #000000";
        QTest::newRow("stretch") << group + "FillMode=0\nImage=/sea.jpg\n" << "/sea.jpg stretched on #000000";
        QTest::newRow("fit, coloured") << group + "Color=0,128,255\nFillMode=1\nImage=/sea.jpg\n" << "/sea.jpg fit on #0080ff";
        QTest::newRow("tile") << group + "FillMode=3\nImage=/sea.jpg\n" << "/sea.jpg tiled on #000000";
        QTest::newRow("pad is centred") << group + "FillMode=6\nImage=/sea.jpg\n" << "/sea.jpg centred on #000000";
        QTest::newRow("escaped space") << group + "Image[$e]=/my\\spictures/sea.jpg\n" << "/my pictures/sea.jpg fill on #000000";
        QTest::newRow("no image set") << group << "no wallpaper on #000000";
    }
    void plasmaDesktopContainmentOfTheFirstScreen()
    {
        QFETCH(QByteArray, wallpaper);
        QFETCH(QString, expected);
        WriteFile(PlasmaAppletsFile(ConfigHomeDir), PlasmaFile(wallpaper));
        QCOMPARE(Describe(ReadPlasmaFacts(ConfigHomeDir, {{}, 0, {1920, 1080}})), expected);
    }

    void plasmaPackageGivesTheImageForTheScreen()
    {
        const QString package = ConfigHomeDir + QLatin1String("/Next");
        for (const char* name : {"1280x800.png", "1920x1080.png", "3840x2160.png", "screenshot.png"})
            WriteFile(package + QLatin1String("/contents/images/") + QLatin1String(name), "x");
        WriteFile(PlasmaAppletsFile(ConfigHomeDir),
                  PlasmaFile("[Containments][9][Wallpaper][org.kde.image][General]\nImage=" + package.toUtf8() + "/\n"));
        QCOMPARE(ReadPlasmaFacts(ConfigHomeDir, {{}, 0, {1600, 900}})->WallpaperPath, package + QLatin1String("/contents/images/1920x1080.png"));
        QCOMPARE(ReadPlasmaFacts(ConfigHomeDir, {{}, 0, {5120, 2880}})->WallpaperPath, package + QLatin1String("/contents/images/3840x2160.png"));
    }

    void runningDesktopAnswersBeforeGnome_data()
    {
        QTest::addColumn<QString>("currentDesktop");
        QTest::addColumn<QString>("expected");
        QTest::newRow("XFCE") << "XFCE" << "/x/a.jpg tiled on #336699";
        QTest::newRow("Plasma") << "KDE" << "/sea.jpg stretched on #000000";
    }
    void runningDesktopAnswersBeforeGnome()
    {
        QFETCH(QString, currentDesktop);
        QFETCH(QString, expected);
        WriteFile(XfceDesktopFile(ConfigHomeDir), XfceChannel("monitor0", XfceWorkspace("/x/a.jpg", 2)));
        WriteFile(PlasmaAppletsFile(ConfigHomeDir),
                  PlasmaFile("[Containments][9][Wallpaper][org.kde.image][General]\nFillMode=0\nImage=/sea.jpg\n"));
        qputenv("XDG_CURRENT_DESKTOP", currentDesktop.toUtf8());
        const auto platform = CreateSystemPlatform();
        QCOMPARE(Describe(platform->DesktopFacts()), expected);
    }

    void changeOfPictureIsNoticedByTheEventLoop()
    {
        const auto platform = CreateSystemPlatform();
        // Every listener hears the change, also one that came after the watch began.
        int changes = 0;
        int otherChanges = 0;
        QObject::connect(platform.get(), &TPlatform::DesktopFactsChanged, [&] { ++changes; });
        QObject::connect(platform.get(), &TPlatform::DesktopFactsChanged, [&] { ++otherChanges; });
        GSettingsSet(QStringLiteral("org.gnome.desktop.background"), QStringLiteral("picture-uri"),
                     QStringLiteral("file:///changed-%1.jpg").arg(QDateTime::currentMSecsSinceEpoch()));
        QTRY_VERIFY(changes > 0 && otherChanges > 0);
    }

    // GNOME shows the dark picture only with the dark style on: a change of the picture that is
    // not shown is no change. A colour change after it marks the end of what was sent.
    void onlyTheShownPictureIsAChange_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("changes");
        QTest::newRow("light style, dark picture") << "default" << "picture-uri-dark" << 1;
        QTest::newRow("light style, light picture") << "default" << "picture-uri" << 2;
        QTest::newRow("dark style, light picture") << "prefer-dark" << "picture-uri" << 1;
        QTest::newRow("dark style, dark picture") << "prefer-dark" << "picture-uri-dark" << 2;
    }
    void onlyTheShownPictureIsAChange()
    {
        QFETCH(QString, scheme);
        QFETCH(QString, key);
        QFETCH(int, changes);
        const QString schema = QStringLiteral("org.gnome.desktop.background");
        const QString interface = QStringLiteral("org.gnome.desktop.interface");
        GSettingsSet(schema, QStringLiteral("picture-uri-dark"), QStringLiteral("file:///dark.jpg"));
        GSettingsSet(interface, QStringLiteral("color-scheme"), scheme);
        // Only once this process has seen the setup does the watch begin.
        GSettingsSet(schema, QStringLiteral("primary-color"), QStringLiteral("#010203"));
        QTRY_COMPARE(ReadFacts(TDesktopSource::Gnome, {})->DesktopColor, QColor(1, 2, 3));
        const auto platform = CreateSystemPlatform();
        QList<QColor> seen;
        QObject::connect(platform.get(), &TPlatform::DesktopFactsChanged,
                         [&] { seen << ReadFacts(TDesktopSource::Gnome, {})->DesktopColor; });
        const qint64 stamp = QDateTime::currentMSecsSinceEpoch();
        const QColor marker = QColor::fromRgb(QRgb(stamp & 0xffffff));
        GSettingsSet(schema, key, QStringLiteral("file:///changed-%1.jpg").arg(stamp));
        GSettingsSet(schema, QStringLiteral("primary-color"), marker.name());
        QTRY_VERIFY(seen.contains(marker));
        QCOMPARE(seen.size(), changes);
        GSettingsSet(interface, QStringLiteral("color-scheme"), QStringLiteral("default"));
    }

    // GIO is loaded only when a GSettings source is asked: not on XFCE or Plasma while their own
    // file answers; where it is asked, it is also watched. Unusable, it makes the GSettings
    // sources absent, said in one line of the log.
    void gioLoadedOnlyForGSettings_data()
    {
        QTest::addColumn<QString>("currentDesktop");
        QTest::addColumn<QString>("ownFile");
        QTest::addColumn<QString>("gioFolder");  // put before the system's libraries
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("gioLogLines");
        const QString xfce = QStringLiteral("/x/a.jpg tiled on #336699");
        const QString gnome = QStringLiteral("/g.jpg centred on #102030");
        const QString notLibrary = ConfigHomeDir + QLatin1String("/not-a-library");
        QTest::newRow("XFCE, its file") << "XFCE" << "xfce" << "" << xfce + ", GIO not loaded" << 0;
        QTest::newRow("KDE, its file") << "KDE" << "plasma" << "" << "/sea.jpg stretched on #000000, GIO not loaded" << 0;
        QTest::newRow("XFCE, no file") << "XFCE" << "" << "" << gnome + ", GIO loaded and watched" << 0;
        QTest::newRow("KDE, XFCE's file") << "KDE" << "xfce" << "" << gnome + ", GIO loaded and watched" << 0;
        QTest::newRow("GNOME, XFCE's file") << "GNOME" << "xfce" << "" << gnome + ", GIO loaded and watched" << 0;
        QTest::newRow("no desktop named") << "" << "xfce" << "" << gnome + ", GIO loaded and watched" << 0;
        QTest::newRow("GIO not a library") << "" << "xfce" << notLibrary << xfce + ", GIO not loaded" << 1;
        QTest::newRow("GIO without its calls") << "" << "xfce" << QString(FakeGioFolder) << xfce + ", GIO not loaded" << 1;
    }
    void gioLoadedOnlyForGSettings()
    {
        QFETCH(QString, currentDesktop);
        QFETCH(QString, ownFile);
        QFETCH(QString, gioFolder);
        QFETCH(QString, expected);
        QFETCH(int, gioLogLines);
        const QString schema = QStringLiteral("org.gnome.desktop.background");
        GSettingsSet(schema, QStringLiteral("primary-color"), QStringLiteral("#102030"));
        GSettingsSet(schema, QStringLiteral("picture-options"), QStringLiteral("centered"));
        GSettingsSet(schema, QStringLiteral("picture-uri"), QStringLiteral("file:///g.jpg"));
        if (ownFile == QLatin1String("xfce"))
            WriteFile(XfceDesktopFile(ConfigHomeDir), XfceChannel("monitor0", XfceWorkspace("/x/a.jpg", 2)));
        if (ownFile == QLatin1String("plasma"))
            WriteFile(PlasmaAppletsFile(ConfigHomeDir),
                      PlasmaFile("[Containments][9][Wallpaper][org.kde.image][General]\nFillMode=0\nImage=/sea.jpg\n"));
        WriteFile(ConfigHomeDir + QLatin1String("/not-a-library/libgio-2.0.so.0"), "not a library\n");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), currentDesktop);
        environment.insert(QStringLiteral("LD_LIBRARY_PATH"), gioFolder);
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--report-facts")});
        QVERIFY(child.waitForFinished(20000));
        const QString log = QString::fromUtf8(child.readAllStandardError());
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).trimmed(), expected);
        QCOMPARE(log.split(QLatin1Char('\n')).filter(QLatin1String("libgio-2.0.so.0")).size(), gioLogLines);
    }

    // While XFCE's file answers GSettings is not watched; once it has gone, it is.
    void gsettingsWatchedOnceTheOwnFileIsGone()
    {
        const QString file = XfceDesktopFile(ConfigHomeDir);
        WriteFile(file, XfceChannel("monitor0", XfceWorkspace("/x/a.jpg", 2)));
        qputenv("XDG_CURRENT_DESKTOP", "XFCE");
        const auto platform = CreateSystemPlatform();
        int changes = 0;
        QObject::connect(platform.get(), &TPlatform::DesktopFactsChanged, [&] { ++changes; });
        QVERIFY(QFile::remove(file));
        QTRY_VERIFY(changes > 0);
        const int afterRemoval = changes;
        GSettingsSet(QStringLiteral("org.gnome.desktop.background"), QStringLiteral("primary-color"),
                     QStringLiteral("#%1").arg(QDateTime::currentMSecsSinceEpoch() & 0xffffff, 6, 16, QLatin1Char('0')));
        QTRY_VERIFY(changes > afterRemoval);
    }

    void changeOfXfceFileIsNoticed()
    {
        const QString file = XfceDesktopFile(ConfigHomeDir);
        WriteFile(file, XfceChannel("monitor0", XfceWorkspace("/x/a.jpg", 2)));
        const auto platform = CreateSystemPlatform();
        int changes = 0;
        QObject::connect(platform.get(), &TPlatform::DesktopFactsChanged, [&] { ++changes; });
        // xfconfd writes a new file and renames it over the old one.
        WriteFile(file + QLatin1String(".new"), XfceChannel("monitor0", XfceWorkspace("/x/b.jpg", 2)));
        QFile::remove(file);
        QVERIFY(QFile::rename(file + QLatin1String(".new"), file));
        QTRY_VERIFY(changes > 0);
        const int afterRename = changes;
        WriteFile(file, XfceChannel("monitor0", XfceWorkspace("/x/c.jpg", 2)));
        QTRY_VERIFY(changes > afterRename);
    }

    void noSourceGivesAColourFill()
    {
        if (qEnvironmentVariableIsEmpty("ORVENNA_NO_SCHEMAS"))
            QSKIP("needs a run without installed GSettings schemas");
        const auto platform = CreateSystemPlatform();
        QCOMPARE(Describe(platform->DesktopFacts()), QStringLiteral("no wallpaper on #000000"));
    }
};

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--report-facts") == 0)
        return ReportFacts(argc, argv);
    // GIO picks its settings backend and the configuration folder once per process.
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    qputenv("GSETTINGS_BACKEND", "keyfile");
    QGuiApplication app(argc, argv);
    TDesktopFactsTest test(configHome.path());
    return QTest::qExec(&test, argc, argv);
}

#include "test_desktopfacts.moc"
