#include "app/snapfrm.h"

#include "app/appcore.h"
#include "desktop/guiservices.h"
#include "desktop/picturereader.h"
#include "platform/clock.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include <utility>

static void InitAppResources()
{
    Q_INIT_RESOURCE(app);
}

namespace orvenna::app {

namespace {

const QSize SnapSize(402, 240);

}  // namespace

bool SplashHoldOver(std::uint32_t startTicks, std::uint32_t nowTicks)
{
    // Unsigned difference: right across a wrap of the tick count.
    if (nowTicks - startTicks >= SplashHoldSeconds * 1000U)
        return true;
    return nowTicks / 1000U >= startTicks / 1000U + SplashHoldSeconds;
}

void HoldSplash(const platform::TClock& clock, const std::function<void()>& pause)
{
    const std::uint32_t start = clock.TickCount();
    while (!SplashHoldOver(start, clock.TickCount())) {
        if (pause) {
            pause();
        } else {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            QThread::msleep(1);
        }
    }
}

QImage TSnapForm::Picture()
{
    InitAppResources();
    // Through the program's own JPEG decoder: Qt's would load its image plugin for this one
    // picture.
    QFile file(QStringLiteral(":/orvenna/app/snap.jpg"));
    return file.open(QIODevice::ReadOnly) ? desktop::DecodeJpeg(file.readAll()) : QImage();
}

TSnapForm::TSnapForm(TAppCore& core, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), Core(core)
{
    setWindowTitle(QString::fromLatin1(desktop::ProgramCaption));
    setFixedSize(SnapSize);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    HoldsKey = Core.RegisterHotKey();
}

TSnapForm::~TSnapForm()
{
    ReleaseHotKey();
}

void TSnapForm::ReleaseHotKey()
{
    if (!HoldsKey)
        return;
    HoldsKey = false;
    Core.UnregisterHotKey();
}

void TSnapForm::AfterFirstPaint(std::function<void()> task)
{
    if (Painted)
        QTimer::singleShot(0, this, std::move(task));
    else
        PaintedTask = std::move(task);
}

void TSnapForm::paintEvent(QPaintEvent*)
{
    if (Face.isNull())
        Face = Picture();
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawImage(QPoint(0, 0), Face);  // unscaled; the right edge falls outside
    // The frame: a sunken line along the bottom.
    const int bottom = height() - 1;
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, bottom - 1, width() - 1, bottom - 1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, bottom, width() - 1, bottom);
    Painted = true;
    // Once this paint has been put on screen.
    if (PaintedTask)
        QTimer::singleShot(0, this, std::exchange(PaintedTask, {}));
}

void TSnapForm::hideEvent(QHideEvent* event)
{
    // Hidden after start-up for the rest of the run, holding only the hot key (a grab on the
    // root window): the picture and the window's pixels go, and come back if it shows again.
    Face = QImage();
    QWidget::hideEvent(event);
    QMetaObject::invokeMethod(
        this, [this] {
            if (isHidden())
                destroy();
        },
        Qt::QueuedConnection);
}

void TSnapForm::closeEvent(QCloseEvent* event)
{
    ReleaseHotKey();
    QWidget::closeEvent(event);
}

}  // namespace orvenna::app
