#pragma once
// A calendar on the offscreen platform for tests of the calendar and of the windows that open
// from it: a fake desktop, a fixed clock, a temporary program folder with the shipped images
// and a generated wallpaper, the program's state read from that folder, the calendar window
// and the windows beside it.
#include "app/appcore.h"
#include "app/calendarform.h"
#include "app/daygrid.h"
#include "app/windowmanager.h"
#include "app/startup.h"
#include "platform/fake/fakeplatform.h"
#include "store/settings.h"
#include "tests/support/fakeclock.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>

namespace orvenna::test {

using app::TAppCore;
using app::TCalendarForm;

inline const QDate Today(2025, 3, 15);  // March 2025: the 1st is a Saturday, 31 days, six rows

// The day count of a date, as the files and the clock keep it.
inline double DayCount(QDate date)
{
    return static_cast<double>(QDate(1899, 12, 30).daysTo(date));
}

// Every pixel different from its neighbours, so a piece cut from the wrong place shows.
inline QImage PatternPicture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, 16 * (x / 256) + y / 256));
    return image;
}

inline QImage Solid(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The shipped pictures into folder/images/ (folder ends with '/').
inline void CopyShippedImages(const QString& folder)
{
    QDir().mkpath(folder + QStringLiteral("images"));
    QString images = QStringLiteral(ORVENNA_BIN_DIR "/images/");
    if (!QFile::exists(images + QStringLiteral("2.bmp")))
        images = QStringLiteral(ORVENNA_SOURCE_DIR "/images/");
    for (const QString& name : QDir(images).entryList({QStringLiteral("*.bmp")}))
        QFile::copy(images + name, folder + QStringLiteral("images/") + name);
}

// The program folder, the desktop and the clock of one calendar.
class TCalendarRig final {
public:
    explicit TCalendarRig(QDate today = Today,
                          const QImage& wallpaper = PatternPicture({1024, 768}))
    {
        Folder = Dir.path() + QLatin1Char('/');
        CopyShippedImages(Folder);
        const QString picture = Folder + QStringLiteral("wallpaper.bmp");
        wallpaper.save(picture, "BMP");
        Platform.Folder = Folder;
        Platform.Facts.WallpaperPath = picture;
        Platform.Facts.Placement = platform::TWallpaperPlacement::Tiled;
        Clock.Day = DayCount(today);
    }

    // The program's state read from the folder, its calendar and the windows it opens.
    TCalendarForm& Create()
    {
        Form.reset();  // one calendar on the desktop at a time
        Core.reset();
        Core = std::make_unique<TAppCore>(Platform, Clock, Folder);
        QObject::connect(Core.get(), &TAppCore::ErrorReported,
                         [this](const QString& text) { Errors << text; });
        Form = std::make_unique<TCalendarForm>(*Core);
        Windows = new app::TWindowManager(*Core, *Form);
        return *Form;
    }
    std::string File(const char* name) const
    {
        return (Folder + QLatin1String(name)).toStdString();
    }
    void SaveSettings(const store::TCalSetting& settings) const
    {
        settings.SaveToFile(File(app::SettingsFileName));
    }

    QTemporaryDir Dir;
    QString Folder;
    platform::TFakePlatform Platform;
    TFakeClock Clock;
    QStringList Errors;
    std::unique_ptr<TAppCore> Core;
    std::unique_ptr<TCalendarForm> Form;
    app::TWindowManager* Windows = nullptr;  // the calendar's child
};

// Drags the calendar by its title until its corner is at target, in steps that keep the mouse
// over the title.
inline void DragTo(TCalendarForm& form, QPoint target)
{
    QWidget* title = form.childAt(50, 10);
    QVERIFY(title && title != &form.DayGrid());
    const QPoint grip(50, 10);
    QTest::mousePress(title, Qt::LeftButton, {}, grip);
    for (int step = 0; step < 200 && form.pos() != target; ++step) {
        const QPoint left = target - form.pos();
        const QPoint move(std::clamp(left.x(), -40, 40), std::clamp(left.y(), -10, 10));
        QTest::mouseMove(title, grip + move);
    }
    QTest::mouseRelease(title, Qt::LeftButton, {}, grip);
    QCOMPARE(form.pos(), target);
}

}  // namespace orvenna::test
