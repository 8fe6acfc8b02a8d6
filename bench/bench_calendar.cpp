// The calendar window's own work on a large desktop: a month change (grid, window shape,
// wallpaper pieces written and read back, day icons) and the refresh that follows a drag.
// Offscreen, over a fake desktop of 3840 x 2160 with a photo-like wallpaper of that size.
#include "bench/benchpictures.h"

#include "app/appcore.h"
#include "app/calendarform.h"
#include "app/systemclock.h"
#include "app/daygrid.h"
#include "platform/fake/fakeplatform.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

using namespace orvenna;

namespace {

constexpr int ScreenWidth = 3840;
constexpr int ScreenHeight = 2160;

// One program folder and one shown calendar for every benchmark of the run.
struct TDesk {
    QTemporaryDir Folder;
    platform::TFakePlatform Platform;
    app::TSystemClock Clock;
    std::unique_ptr<app::TAppCore> Core;
    std::unique_ptr<app::TCalendarForm> Form;

    TDesk()
    {
        const QDir folder(Folder.path());
        folder.mkdir(QStringLiteral("images"));
        bench::CellMask(0xff303030).save(folder.filePath(QStringLiteral("images/2.bmp")), "BMP");
        const QString wallpaper = folder.filePath(QStringLiteral("wall.jpg"));
        bench::PhotoLike(ScreenWidth, ScreenHeight).save(wallpaper, "JPG", 90);
        Platform.Primary = Platform.Virtual = QRect(0, 0, ScreenWidth, ScreenHeight);
        Platform.Work = QRect(0, 0, ScreenWidth, ScreenHeight - 40);
        Platform.Facts = {wallpaper, platform::TWallpaperPlacement::Stretched, QColor(30, 60, 90)};
        Platform.Folder = Folder.path() + QLatin1Char('/');
        Core = std::make_unique<app::TAppCore>(Platform, Clock, Platform.Folder);
        Form = std::make_unique<app::TCalendarForm>(*Core);
        Form->show();
        QApplication::processEvents();
    }
};

TDesk* TheDesk = nullptr;  // lives in main, inside the application's lifetime

TDesk& Desk() { return *TheDesk; }

void BM_MonthChange(benchmark::State& state)
{
    app::TCalendarForm& form = *Desk().Form;
    for (auto _ : state) {
        form.NextMonthClick();  // BuildMonth, BuildWindowRegion, Refresh1Click
        benchmark::DoNotOptimize(form.WindowShape().rectCount());
    }
}
BENCHMARK(BM_MonthChange)->Unit(benchmark::kMillisecond);

void BM_RefreshAfterDrag(benchmark::State& state)
{
    app::TCalendarForm& form = *Desk().Form;
    for (auto _ : state) {
        form.Refresh1Click();
        benchmark::DoNotOptimize(form.DayGrid().Items().size());
    }
}
BENCHMARK(BM_RefreshAfterDrag)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform warns on every window shape; the shape is built all the same.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication application(argc, argv);
    TDesk desk;
    TheDesk = &desk;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
