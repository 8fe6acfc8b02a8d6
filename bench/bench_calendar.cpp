// The calendar window's own work on a large desktop: a month change (grid, window shape,
// wallpaper pieces written and read back, day icons), the refresh that follows a drag, and the
// drop of a drag by 50 pixels against one far enough to need the picture decoded again.
// Offscreen, over a fake desktop of 3840 x 2160 with a photo-like wallpaper of that size (the
// drags: of 7680 x 4320). At the end it prints the drags' medians and their ratio.
#include "bench/benchpictures.h"

#include "app/appcore.h"
#include "app/calendarform.h"
#include "app/systemclock.h"
#include "app/daygrid.h"
#include "app/startup.h"
#include "store/settings.h"
#include "platform/fake/fakeplatform.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <thread>
#include <vector>

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

    explicit TDesk(QSize picture = {ScreenWidth, ScreenHeight})
    {
        const QDir folder(Folder.path());
        folder.mkdir(QStringLiteral("images"));
        bench::CellMask(0xff303030).save(folder.filePath(QStringLiteral("images/2.bmp")), "BMP");
        const QString wallpaper = folder.filePath(QStringLiteral("wall.jpg"));
        bench::PhotoLike(picture.width(), picture.height()).save(wallpaper, "JPG", 90);
        Platform.Primary = Platform.Virtual = QRect(0, 0, ScreenWidth, ScreenHeight);
        Platform.Work = QRect(0, 0, ScreenWidth, ScreenHeight - 40);
        Platform.Facts = {wallpaper, platform::TWallpaperPlacement::Stretched, QColor(30, 60, 90)};
        Platform.Folder = Folder.path() + QLatin1Char('/');
        store::TCalSetting settings;
        settings.CanMoved = true;
        settings.SaveToFile((Platform.Folder + QLatin1String(app::SettingsFileName)).toStdString());
        Core = std::make_unique<app::TAppCore>(Platform, Clock, Platform.Folder);
        Form = std::make_unique<app::TCalendarForm>(*Core);
        Form->show();
        QApplication::processEvents();
    }
};

TDesk* TheDesk = nullptr;       // both live in main, inside the application's lifetime
TDesk* TheEightKDesk = nullptr;

TDesk& Desk() { return *TheDesk; }

void SendToTitle(app::TCalendarForm& form, QEvent::Type type, QPoint global)
{
    const QPoint local = global - form.pos();
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, local, global, Qt::LeftButton, held, Qt::NoModifier);
    if (type == QEvent::MouseButtonPress)
        form.TitleMousePress(&event);
    else if (type == QEvent::MouseMove)
        form.TitleMouseMove(&event);
    else
        form.TitleMouseRelease(&event);
}

// Milliseconds of each drop, by drag distance.
std::map<int, std::vector<double>> DropTimes;

// A drag by the title there and back, distance pixels each way in steps of 10; the user's hand
// takes a quarter of a second for it (time the program may use in the background), and only
// the drop, from the release to the cells refreshed, is timed.
void BM_DragDrop8K(benchmark::State& state)
{
    app::TCalendarForm& form = *TheEightKDesk->Form;
    const int distance = int(state.range(0));
    int direction = -1;
    for (auto _ : state) {
        state.PauseTiming();
        QPoint mouse = form.pos() + QPoint(50, 10);
        SendToTitle(form, QEvent::MouseButtonPress, mouse);
        for (int moved = 0; moved < distance; moved += 10) {
            mouse.rx() += direction * std::min(10, distance - moved);
            SendToTitle(form, QEvent::MouseMove, mouse);
        }
        direction = -direction;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        SendToTitle(form, QEvent::MouseButtonRelease, mouse);
        DropTimes[distance].push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_DragDrop8K)->ArgName("px")->Arg(50)->Arg(600)->Iterations(15)->Unit(benchmark::kMillisecond);

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

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
    TDesk eightK({7680, 4320});
    TheEightKDesk = &eightK;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!DropTimes[50].empty() && !DropTimes[600].empty()) {
        const double near = Median(DropTimes[50]);
        const double far = Median(DropTimes[600]);
        std::printf("8K drop, median of %zu: by 50 px %.2f ms, by 600 px (decoded again) %.2f ms, ratio %.3f\n",
                    DropTimes[50].size(), near, far, near / far);
    }
    return 0;
}
