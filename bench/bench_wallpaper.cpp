// The wallpaper load: an 8K JPEG composed onto HD and UHD screens (whole, and only the part
// behind the calendar) next to libjpeg-turbo's own quarter-scale decode of the same file, small centred and tiled pictures, and the rectangle
// copy the calendar makes per control. The PeakMemory runs report how far the process grew
// during one load (VmHWM after, less VmRSS before) against the budget of the decoded picture
// plus one screen bitmap.

#include "bench/benchpictures.h"

#include "desktop/jpegreader.h"
#include "desktop/wallpaper.h"

#include "platform/fake/fakeplatform.h"

#include <memory>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <malloc.h>

#include <fstream>
#include <string>

using namespace orvenna;
using platform::TWallpaperPlacement;

namespace {

QTemporaryDir& Folder()
{
    static QTemporaryDir folder;
    return folder;
}

QString Picture(const char* name, int width, int height, const char* format)
{
    const QString path = Folder().filePath(QString::fromLatin1(name));
    if (!QFile::exists(path))
        bench::PhotoLike(width, height).save(path, format, 90);
    return path;
}

QString EightK() { return Picture("8k.jpg", 7680, 4320, "jpg"); }

std::unique_ptr<platform::TFakePlatform> Screen(int width, int height, const QString& path,
                                                TWallpaperPlacement placement)
{
    auto fake = std::make_unique<platform::TFakePlatform>();
    fake->Primary = fake->Virtual = QRect(0, 0, width, height);
    fake->Facts = {path, placement, QColor(30, 60, 90)};
    return fake;
}

long StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(line.find(':') + 1));
    }
    return -1;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void BM_TurboJpegQuarterDecode(benchmark::State& state)
{
    QFile file(EightK());
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    tjhandle handle = tjInitDecompress();
    std::vector<unsigned char> pixels(1920 * 1080 * 4);
    for (auto _ : state) {
        if (tjDecompress2(handle, reinterpret_cast<const unsigned char*>(bytes.constData()),
                          static_cast<unsigned long>(bytes.size()), pixels.data(), 1920, 0, 1080,
                          TJPF_BGRA, 0) != 0)
            state.SkipWithError(tjGetErrorStr2(handle));
        benchmark::DoNotOptimize(pixels.data());
    }
    tjDestroy(handle);
}
BENCHMARK(BM_TurboJpegQuarterDecode)->Unit(benchmark::kMillisecond);

void BM_LoadWallpaper8K(benchmark::State& state)
{
    const auto placement = static_cast<TWallpaperPlacement>(state.range(0));
    auto fake = Screen(int(state.range(1)), int(state.range(2)), EightK(), placement);
    desktop::TWallPaper wallpaper(*fake);
    for (auto _ : state)
        wallpaper.LoadWallpaper();
}
BENCHMARK(BM_LoadWallpaper8K)
    ->ArgNames({"placement", "w", "h"})
    ->Args({int(TWallpaperPlacement::Stretched), 1920, 1080})
    ->Args({int(TWallpaperPlacement::Fill), 1920, 1080})
    ->Args({int(TWallpaperPlacement::Stretched), 3840, 2160})
    ->Args({int(TWallpaperPlacement::Fill), 3840, 2160})
    ->Args({int(TWallpaperPlacement::Fit), 2560, 1440})
    ->Unit(benchmark::kMillisecond);

// What the calendar composes: only the 296 x 216 corner it sits on, from the picture rows behind it.
void BM_LoadWallpaper8KBehindWindow(benchmark::State& state)
{
    const int width = int(state.range(0)), height = int(state.range(1));
    auto fake = Screen(width, height, EightK(), TWallpaperPlacement::Stretched);
    desktop::TWallPaper wallpaper(*fake);
    wallpaper.SetKeptArea(QRect(width - 296, height - 216, 296, 216));
    for (auto _ : state)
        wallpaper.LoadWallpaper();
}
BENCHMARK(BM_LoadWallpaper8KBehindWindow)
    ->ArgNames({"w", "h"})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond);

void BM_LoadWallpaperSmall(benchmark::State& state)
{
    const bool tiled = state.range(0) != 0;
    const QString path = tiled ? Picture("tile.bmp", 300, 200, "bmp") : Picture("centre.jpg", 800, 600, "jpg");
    auto fake = Screen(1920, 1080, path, tiled ? TWallpaperPlacement::Tiled : TWallpaperPlacement::Centred);
    desktop::TWallPaper wallpaper(*fake);
    for (auto _ : state)
        wallpaper.LoadWallpaper();
}
BENCHMARK(BM_LoadWallpaperSmall)->ArgName("tiled")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CopyDeskRect(benchmark::State& state)
{
    auto fake = Screen(1920, 1080, EightK(), TWallpaperPlacement::Fill);
    desktop::TWallPaper wallpaper(*fake);
    wallpaper.LoadWallpaper();
    QImage dest;
    for (auto _ : state) {
        wallpaper.CopyDeskRect(dest, QRect(0, 0, 296, 216), QRect(1500, 800, 296, 216));
        benchmark::DoNotOptimize(dest.constBits());
    }
}
BENCHMARK(BM_CopyDeskRect)->Unit(benchmark::kMicrosecond);

// One load on a fresh reader per iteration; counters in MiB.
void BM_PeakMemory8K(benchmark::State& state)
{
    const int width = int(state.range(1)), height = int(state.range(2));
    const auto placement = static_cast<TWallpaperPlacement>(state.range(0));
    auto fake = Screen(width, height, EightK(), placement);
    double grown = 0;
    for (auto _ : state) {
        desktop::TWallPaper wallpaper(*fake);
        const long before = StatusKb("VmRSS:");
        ResetPeak();
        wallpaper.LoadWallpaper();
        grown = std::max(grown, double(StatusKb("VmHWM:") - before) / 1024.0);
    }
    // The decoder delivers the smallest eighth-scale not below the drawn size: the screen's here.
    const int eighths = desktop::JpegScaleNumerator({7680, 4320}, {width, height});
    const double decoded = double((7680 * eighths + 7) / 8) * ((4320 * eighths + 7) / 8) * 4;
    state.counters["grown_MiB"] = grown;
    state.counters["budget_MiB"] = (decoded + double(width) * height * 4) / (1024.0 * 1024.0);
}
BENCHMARK(BM_PeakMemory8K)
    ->ArgNames({"placement", "w", "h"})
    ->Args({int(TWallpaperPlacement::Stretched), 1920, 1080})
    ->Args({int(TWallpaperPlacement::Fill), 3840, 2160})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    // Large blocks always from mmap and back to the system when freed, so that RSS shows what
    // one load needs rather than what earlier runs left in the heap.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
