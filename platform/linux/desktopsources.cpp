#include "platform/linux/desktopsources.h"
#include "platform/linux/xdgpaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QUrl>
#include <QXmlStreamReader>

#include <map>

namespace orvenna::platform {

namespace {

QString ReadTextFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

}  // namespace

std::vector<TDesktopSource> SourceOrder(const QString& currentDesktop)
{
    std::vector<TDesktopSource> order;
    const auto named = [&](const char* name, TDesktopSource source) {
        if (currentDesktop.split(QLatin1Char(':')).contains(QLatin1String(name), Qt::CaseInsensitive))
            order.push_back(source);
    };
    named("XFCE", TDesktopSource::Xfce);
    named("KDE", TDesktopSource::Plasma);
    named("X-Cinnamon", TDesktopSource::Cinnamon);
    named("Cinnamon", TDesktopSource::Cinnamon);
    named("MATE", TDesktopSource::Mate);
    named("GNOME", TDesktopSource::Gnome);
    for (const auto source : {TDesktopSource::Gnome, TDesktopSource::Cinnamon, TDesktopSource::Mate,
                              TDesktopSource::Xfce, TDesktopSource::Plasma}) {
        if (std::find(order.begin(), order.end(), source) == order.end())
            order.push_back(source);
    }
    return order;
}

// ---- GSettings ------------------------------------------------------------------------------

std::optional<TWallpaperPlacement> PlacementFromGnomeOptions(const QString& options)
{
    if (options == QLatin1String("none"))
        return std::nullopt;
    if (options == QLatin1String("wallpaper"))
        return TWallpaperPlacement::Tiled;
    if (options == QLatin1String("centered"))
        return TWallpaperPlacement::Centred;
    if (options == QLatin1String("scaled"))
        return TWallpaperPlacement::Fit;
    if (options == QLatin1String("stretched"))
        return TWallpaperPlacement::Stretched;
    if (options == QLatin1String("spanned"))
        return TWallpaperPlacement::Spanned;
    return TWallpaperPlacement::Fill;
}

QString LocalPathFromUri(const QString& uriOrPath)
{
    if (uriOrPath.startsWith(QLatin1Char('/')))
        return uriOrPath;
    const QUrl url(uriOrPath);
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

TDesktopFacts FactsFromGSettings(const TGSettingsBackground& values)
{
    TDesktopFacts facts;
    const QColor colour = QColor::fromString(values.PrimaryColor);
    if (colour.isValid())
        facts.DesktopColor = colour;
    const auto placement = PlacementFromGnomeOptions(values.Options);
    if (!placement || !values.DrawBackground)
        return facts;
    facts.Placement = *placement;
    facts.WallpaperPath = LocalPathFromUri(values.Picture);
    return facts;
}

// ---- XFCE -----------------------------------------------------------------------------------

namespace {

// One <property> of an xfconf channel with its nested properties and array values.
struct TXfconfProperty {
    QString Name;
    QString Value;
    QStringList Values;
    std::vector<TXfconfProperty> Children;

    const TXfconfProperty* Child(QStringView name) const
    {
        for (const auto& child : Children)
            if (child.Name == name)
                return &child;
        return nullptr;
    }
    const TXfconfProperty* FirstChildStartingWith(QStringView prefix) const
    {
        for (const auto& child : Children)
            if (child.Name.startsWith(prefix))
                return &child;
        return nullptr;
    }
};

std::optional<TXfconfProperty> ParseXfconf(const QString& xml)
{
    QXmlStreamReader reader(xml);
    std::vector<TXfconfProperty> open(1);  // the channel itself at the bottom
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("property")) {
            const auto attributes = reader.attributes();
            open.push_back({attributes.value(QLatin1String("name")).toString(),
                            attributes.value(QLatin1String("value")).toString(), {}, {}});
        } else if (reader.isStartElement() && reader.name() == QLatin1String("value") && open.size() > 1) {
            open.back().Values << reader.attributes().value(QLatin1String("value")).toString();
        } else if (reader.isEndElement() && reader.name() == QLatin1String("property") && open.size() > 1) {
            TXfconfProperty done = std::move(open.back());
            open.pop_back();
            open.back().Children.push_back(std::move(done));
        }
    }
    if (reader.hasError())
        return std::nullopt;
    return std::move(open.front());
}

std::optional<TWallpaperPlacement> PlacementFromXfceStyle(int style)
{
    switch (style) {
    case 0: return std::nullopt;  // "none": colour only
    case 1: return TWallpaperPlacement::Centred;
    case 2: return TWallpaperPlacement::Tiled;
    case 3: return TWallpaperPlacement::Stretched;
    case 4: return TWallpaperPlacement::Fit;
    case 6: return TWallpaperPlacement::Spanned;
    default: return TWallpaperPlacement::Fill;  // 5 "zoomed", the default
    }
}

// rgba1 holds four doubles 0..1 (XFCE 4.14 on); color1 four integers 0..65535 (before).
QColor XfceColour(const TXfconfProperty& backdrop)
{
    if (const auto* rgba = backdrop.Child(u"rgba1"); rgba && rgba->Values.size() >= 3)
        return QColor::fromRgbF(rgba->Values[0].toFloat(), rgba->Values[1].toFloat(),
                                rgba->Values[2].toFloat());
    if (const auto* old = backdrop.Child(u"color1"); old && old->Values.size() >= 3)
        return QColor::fromRgba64(old->Values[0].toUShort(), old->Values[1].toUShort(),
                                  old->Values[2].toUShort());
    return QColor(0, 0, 0);
}

const TXfconfProperty* XfceBackdrop(const TXfconfProperty& channel, const QString& monitorName,
                                    int monitorIndex)
{
    const auto* backdrop = channel.Child(u"backdrop");
    const auto* screen = backdrop ? backdrop->Child(u"screen0") : nullptr;
    if (!screen)
        return nullptr;
    const auto* monitor =
        monitorName.isEmpty() ? nullptr : screen->Child(QString(QLatin1String("monitor") + monitorName));
    if (!monitor)
        monitor = screen->Child(QString(QLatin1String("monitor") + QString::number(monitorIndex)));
    if (!monitor)
        monitor = screen->Child(u"monitor0");
    if (!monitor)
        monitor = screen->FirstChildStartingWith(u"monitor");
    if (!monitor)
        return nullptr;
    // XFCE 4.12 on keeps one backdrop per workspace; older versions one per monitor.
    if (const auto* workspace = monitor->Child(u"workspace0"))
        return workspace;
    if (const auto* workspace = monitor->FirstChildStartingWith(u"workspace"))
        return workspace;
    return monitor;
}

}  // namespace

QString XfceDesktopFile(const QString& configHome)
{
    return configHome + QLatin1String("/xfce4/xfconf/xfce-perchannel-xml/xfce4-desktop.xml");
}

std::optional<TDesktopFacts> ParseXfceDesktop(const QString& xml, const QString& monitorName,
                                              int monitorIndex)
{
    const auto channel = ParseXfconf(xml);
    const auto* backdrop = channel ? XfceBackdrop(*channel, monitorName, monitorIndex) : nullptr;
    if (!backdrop)
        return std::nullopt;
    TDesktopFacts facts;
    facts.DesktopColor = XfceColour(*backdrop);
    const auto* style = backdrop->Child(u"image-style");
    const auto placement = PlacementFromXfceStyle(style ? style->Value.toInt() : 5);
    const auto* show = backdrop->Child(u"image-show");
    if (!placement || (show && show->Value == QLatin1String("false")))
        return facts;
    facts.Placement = *placement;
    const auto* image = backdrop->Child(u"last-image");
    if (!image)
        image = backdrop->Child(u"image-path");
    if (image)
        facts.WallpaperPath = LocalPathFromUri(image->Value);
    return facts;
}

// ---- Plasma ---------------------------------------------------------------------------------

namespace {

using TIniGroup = std::map<QString, QString>;
using TIniFile = std::map<QStringList, TIniGroup>;

// "[Containments][1][Wallpaper]" -> {"Containments", "1", "Wallpaper"}
QStringList GroupPath(QStringView header)
{
    QStringList path;
    static const QRegularExpression part(QStringLiteral("\\[([^\\]]*)\\]"));
    for (const auto& match : part.globalMatch(header))
        path << match.captured(1);
    return path;
}

QString UnescapeKdeValue(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        out += next == QLatin1Char('s') ? QLatin1Char(' ') : next == QLatin1Char('t') ? QLatin1Char('\t')
             : next == QLatin1Char('n') ? QLatin1Char('\n') : next;
    }
    return out;
}

TIniFile ParseKdeConfig(const QString& text)
{
    TIniFile file;
    TIniGroup* group = &file[{}];
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            group = &file[GroupPath(line)];
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        QString key = line.left(equals).trimmed();
        key = key.left(key.indexOf(QLatin1String("[$")));  // drop flags such as [$e]
        (*group)[key] = UnescapeKdeValue(line.mid(equals + 1).trimmed());
    }
    return file;
}

QString Value(const TIniFile& file, const QStringList& group, const QString& key)
{
    const auto g = file.find(group);
    if (g == file.end())
        return {};
    const auto v = g->second.find(key);
    return v == g->second.end() ? QString() : v->second;
}

// The id of the desktop containment shown on screen screenId, else on screen 0, else of the
// first one.
QString PlasmaDesktopContainment(const TIniFile& file, int screenId)
{
    QString first, onFirstScreen;
    for (const auto& [path, keys] : file) {
        if (path.size() != 2 || path[0] != QLatin1String("Containments"))
            continue;
        const QString plugin = keys.count(QStringLiteral("plugin")) ? keys.at(QStringLiteral("plugin")) : QString();
        if (plugin != QLatin1String("org.kde.desktopcontainment") && plugin != QLatin1String("org.kde.plasma.folder"))
            continue;
        const auto screen = keys.find(QStringLiteral("lastScreen"));
        if (screen != keys.end() && screen->second == QString::number(screenId))
            return path[1];
        if (screen != keys.end() && screen->second == QLatin1String("0") && onFirstScreen.isEmpty())
            onFirstScreen = path[1];
        if (first.isEmpty())
            first = path[1];
    }
    return onFirstScreen.isEmpty() ? first : onFirstScreen;
}

// Plasma's FillMode is a QML Image fill mode; 2 (crop) is its default.
TWallpaperPlacement PlacementFromFillMode(const QString& mode)
{
    switch (mode.isEmpty() ? 2 : mode.toInt()) {
    case 0: return TWallpaperPlacement::Stretched;
    case 1: return TWallpaperPlacement::Fit;
    case 3:
    case 4:
    case 5: return TWallpaperPlacement::Tiled;
    case 6: return TWallpaperPlacement::Centred;
    default: return TWallpaperPlacement::Fill;
    }
}

QColor PlasmaColour(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() >= 3)
        return QColor(parts[0].trimmed().toInt(), parts[1].trimmed().toInt(), parts[2].trimmed().toInt());
    const QColor named = QColor::fromString(text);
    return named.isValid() ? named : QColor(0, 0, 0);
}

}  // namespace

QString PlasmaAppletsFile(const QString& configHome)
{
    return configHome + QLatin1String("/plasma-org.kde.plasma.desktop-appletsrc");
}

QString PlasmaShellFile(const QString& configHome)
{
    return configHome + QLatin1String("/plasmashellrc");
}

int PlasmaScreenId(const QString& shellText, const QString& output, int index)
{
    TIniFile file = ParseKdeConfig(shellText);
    if (!output.isEmpty())
        for (const auto& [key, value] : file[{QStringLiteral("ScreenConnectors")}]) {
            bool number = false;
            const int id = key.toInt(&number);
            if (number && value == output)
                return id;
        }
    return index;
}

std::optional<TDesktopFacts> ParsePlasmaDesktop(const QString& text, int screenId)
{
    const TIniFile file = ParseKdeConfig(text);
    const QString id = PlasmaDesktopContainment(file, screenId);
    if (id.isEmpty())
        return std::nullopt;
    QString plugin = Value(file, {QStringLiteral("Containments"), id}, QStringLiteral("wallpaperplugin"));
    if (plugin.isEmpty())
        plugin = QStringLiteral("org.kde.image");
    const QStringList general{QStringLiteral("Containments"), id, QStringLiteral("Wallpaper"), plugin,
                              QStringLiteral("General")};
    TDesktopFacts facts;
    facts.DesktopColor = PlasmaColour(Value(file, general, QStringLiteral("Color")));
    if (plugin != QLatin1String("org.kde.image"))
        return facts;  // slide shows, plain colours and others: the colour is all we know
    facts.Placement = PlacementFromFillMode(Value(file, general, QStringLiteral("FillMode")));
    facts.WallpaperPath = LocalPathFromUri(Value(file, general, QStringLiteral("Image")));
    return facts;
}

QString ChoosePackageImage(const QStringList& fileNames, QSize screen)
{
    static const QRegularExpression sizeName(QStringLiteral("^(\\d+)x(\\d+)\\."));
    QString best;
    QSize bestSize;
    const auto covers = [&](QSize s) { return s.width() >= screen.width() && s.height() >= screen.height(); };
    for (const QString& name : fileNames) {
        const auto match = sizeName.match(name);
        if (!match.hasMatch())
            continue;
        const QSize size(match.captured(1).toInt(), match.captured(2).toInt());
        const qint64 area = qint64(size.width()) * size.height();
        const qint64 bestArea = qint64(bestSize.width()) * bestSize.height();
        const bool better = best.isEmpty() || (covers(size) && (!covers(bestSize) || area < bestArea)) ||
                            (!covers(size) && !covers(bestSize) && area > bestArea);
        if (better) {
            best = name;
            bestSize = size;
        }
    }
    return best;
}

// ---- the real configuration -----------------------------------------------------------------

std::optional<TDesktopFacts> ReadXfceFacts(const QString& configHome, const TScreenOutput& screen)
{
    const QString path = XfceDesktopFile(configHome);
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    return ParseXfceDesktop(ReadTextFile(path), screen.Name, screen.Index);
}

std::optional<TDesktopFacts> ReadPlasmaFacts(const QString& configHome, const TScreenOutput& screen)
{
    const QString path = PlasmaAppletsFile(configHome);
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    const int id = PlasmaScreenId(ReadTextFile(PlasmaShellFile(configHome)), screen.Name, screen.Index);
    auto facts = ParsePlasmaDesktop(ReadTextFile(path), id);
    if (facts && QFileInfo(facts->WallpaperPath).isDir()) {
        const QDir images(QDir::cleanPath(facts->WallpaperPath + QLatin1String("/contents/images")));
        const QString chosen = ChoosePackageImage(images.entryList(QDir::Files), screen.Pixels);
        facts->WallpaperPath = chosen.isEmpty() ? QString() : images.filePath(chosen);
    }
    return facts;
}

std::vector<TScreenOutput> ScreenOutputs()
{
    std::vector<TScreenOutput> outputs;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return outputs;
    const QScreen* primary = QGuiApplication::primaryScreen();
    const auto add = [&outputs](const QScreen* screen) {
        outputs.push_back({screen->name(), int(outputs.size()), screen->size() * screen->devicePixelRatio()});
    };
    if (primary)
        add(primary);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != primary)
            add(screen);
    return outputs;
}

bool HasWallpaperPerScreen(TDesktopSource source)
{
    return source == TDesktopSource::Xfce || source == TDesktopSource::Plasma;
}

std::optional<TDesktopFacts> ReadFacts(TDesktopSource source, const TScreenOutput& screen)
{
    switch (source) {
    case TDesktopSource::Xfce:
        return ReadXfceFacts(ConfigHome(), screen);
    case TDesktopSource::Plasma:
        return ReadPlasmaFacts(ConfigHome(), screen);
    default:
        if (const auto values = ReadGSettingsBackground(source))
            return FactsFromGSettings(*values);
        return std::nullopt;
    }
}

bool AnswersBeforeGSettings(const QString& currentDesktop, const TScreenOutput& screen)
{
    for (const auto source : SourceOrder(currentDesktop)) {
        if (source != TDesktopSource::Xfce && source != TDesktopSource::Plasma)
            return false;
        if (ReadFacts(source, screen))
            return true;
    }
    return false;
}

}  // namespace orvenna::platform
