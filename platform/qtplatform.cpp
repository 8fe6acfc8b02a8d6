#include "platform/qtplatform.h"

#include "platform/platformlog.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMetaMethod>
#include <QScreen>
#include <QSystemTrayIcon>

#include <algorithm>

namespace orvenna::platform {

namespace {

bool HasGuiApplication()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

}  // namespace

TQtPlatform::TQtPlatform(QObject* parent) : TPlatform(parent) {}

TQtPlatform::~TQtPlatform() = default;

bool TQtPlatform::CanShowTrayIcon() const
{
    return HasGuiApplication() && QSystemTrayIcon::isSystemTrayAvailable();
}

QString TQtPlatform::ExecutablePath() const
{
    return QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
}

QString TQtPlatform::ProgramFolder() const
{
    return FolderOf(ExecutablePath());
}

QString FolderOf(const QString& filePath)
{
    const qsizetype slash = filePath.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : filePath.left(slash + 1);
}

void TQtPlatform::SetClipboardText(const QString& text)
{
    if (!HasGuiApplication())
        return;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text, QClipboard::Clipboard);
}

bool TQtPlatform::OpenUrl(const QString& url)
{
    const std::optional<QUrl> address = WebAddress(url);
    if (!address || !HasGuiApplication())
        return false;
    if (QDesktopServices::openUrl(*address))
        return true;
    qCWarning(lcPlatform) << "no handler took the address" << address->toString();
    return false;
}

std::optional<QUrl> WebAddress(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // Only web and mail addresses: a local file or an unknown scheme handed to the desktop's
    // default handler could start a program the user never meant to run.
    const QUrl url = QUrl::fromUserInput(trimmed);
    const QString scheme = url.scheme().toLower();
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https");
    if (!url.isValid() || !(web || scheme == QLatin1String("mailto")))
        return std::nullopt;
    if (web && url.host().isEmpty())
        return std::nullopt;
    return url;
}

// ---- screens --------------------------------------------------------------------------------

QRect TQtPlatform::PrimaryScreen() const
{
    const QScreen* screen = HasGuiApplication() ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->geometry() : QRect();
}

QRect TQtPlatform::VirtualDesktop() const
{
    QRect all;
    if (HasGuiApplication())
        for (const QScreen* screen : QGuiApplication::screens())
            all = all.united(screen->geometry());
    return all;
}

QRect TQtPlatform::WorkArea() const
{
    const QScreen* screen = HasGuiApplication() ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->availableGeometry() : QRect();
}

std::optional<QRect> TQtPlatform::TaskBarRect() const
{
    return PanelFromWorkArea(PrimaryScreen(), WorkArea());
}

QList<TScreen> TQtPlatform::Screens() const
{
    QList<TScreen> screens;
    if (!HasGuiApplication())
        return screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        screens.append({primary->geometry(), WorkArea(), primary->name()});
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != primary)
            screens.append({screen->geometry(), screen->availableGeometry(), screen->name()});
    return screens;
}

std::optional<QRect> PanelFromWorkArea(const QRect& screen, const QRect& workArea)
{
    const QRect work = workArea.intersected(screen);
    if (work.isEmpty() || work == screen)
        return std::nullopt;
    const int bottom = screen.bottom() - work.bottom();
    const int top = work.top() - screen.top();
    const int left = work.left() - screen.left();
    const int right = screen.right() - work.right();
    const int deepest = std::max({bottom, top, left, right});
    if (bottom == deepest)
        return QRect(screen.left(), screen.bottom() - bottom + 1, screen.width(), bottom);
    if (top == deepest)
        return QRect(screen.left(), screen.top(), screen.width(), top);
    if (left == deepest)
        return QRect(screen.left(), screen.top(), left, screen.height());
    return QRect(screen.right() - right + 1, screen.top(), right, screen.height());
}

void TQtPlatform::connectNotify(const QMetaMethod& signal)
{
    TPlatform::connectNotify(signal);
    if (signal == QMetaMethod::fromSignal(&TPlatform::ScreensChanged))
        WatchScreens();
}

void TQtPlatform::WatchScreens()
{
    // Connections made with this object as context end with it.
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (WatchingScreens || !application)
        return;
    WatchingScreens = true;
    connect(application, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        WatchScreen(screen);
        emit ScreensChanged();
    });
    connect(application, &QGuiApplication::screenRemoved, this, &TPlatform::ScreensChanged);
    connect(application, &QGuiApplication::primaryScreenChanged, this,
            &TPlatform::ScreensChanged);
    for (QScreen* screen : QGuiApplication::screens())
        WatchScreen(screen);
}

void TQtPlatform::WatchScreen(QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, this, &TPlatform::ScreensChanged);
    connect(screen, &QScreen::availableGeometryChanged, this, &TPlatform::ScreensChanged);
}

std::vector<int> TQtPlatform::SystemColorIndexes() const
{
    std::vector<int> indexes;
    for (int index = 0; index <= 30; ++index)
        if (index != 25)  // has no name
            indexes.push_back(index);
    return indexes;
}

}  // namespace orvenna::platform
