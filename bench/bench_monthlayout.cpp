// The pure part of a month change: the grid, the window shape from the cell mask and a title
// picture, and the shape cut from a picture as large as a screen.
#include "bench/benchpictures.h"

#include "app/monthlayout.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>

using namespace orvenna::app;

namespace {

// A picture with a ragged outline around a magenta key.
QImage RaggedPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(0xffff00ff);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        const int margin = static_cast<int>(random.bounded(8));
        for (int x = margin; x < width - margin; ++x)
            picture.setPixel(x, y, 0xff304050);
    }
    return picture;
}

void MonthChange(benchmark::State& state)
{
    const QImage mask = orvenna::bench::CellMask(0xff000000);
    const QImage title = RaggedPicture(296, 32);
    QDate month(2025, 1, 1);
    for (auto _ : state) {
        const TMonthGrid grid = MonthGrid(month, CellWidthFor(296));
        const QRegion region = WindowRegion(TitleShape(title, 296), RegionFromPicture(mask), grid.Days);
        benchmark::DoNotOptimize(region.rectCount());
        month = month.addMonths(1);
    }
}
BENCHMARK(MonthChange)->Unit(benchmark::kMicrosecond);

void ShapeOfAScreenSizedPicture(benchmark::State& state)
{
    const QImage picture = RaggedPicture(3840, 2160);
    for (auto _ : state)
        benchmark::DoNotOptimize(RegionFromPicture(picture).rectCount());
}
BENCHMARK(ShapeOfAScreenSizedPicture)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
