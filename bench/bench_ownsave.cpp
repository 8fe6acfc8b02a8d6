// The program's own save of the notes file at 100,000 papers, as the running calendar does it:
// the core writes the store, and the file watch then looks at what changed on disk and must
// tell the program's own save from another program's. Measured against the yardstick of the
// same run: the store's plain save of the same papers into the same folder (serialise,
// temporary file, flush, rename). Target: the program's save within 1.25 times the plain save.
//
// Offscreen, over a fake desktop; the watch's look is run at once instead of after its pause.
#include "bench/benchpapers.h"

#include "app/appcore.h"
#include "app/notefilewatch.h"
#include "platform/fake/fakeplatform.h"
#include "platform/clock.h"
#include "store/daypaperlist.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace orvenna;

namespace {

class TFixedClock final : public platform::TClock {
public:
    double Now() const override { return bench::Today + 0.5; }
    std::uint32_t TickCount() const override { return 1000; }
};

// One program folder and one running core for every benchmark of the run.
struct TProgram {
    QTemporaryDir Folder;
    platform::TFakePlatform Platform;
    TFixedClock Clock;
    std::unique_ptr<app::TAppCore> Core;
    app::TNoteFileWatch* Watch = nullptr;

    TProgram()
    {
        Platform.Folder = Folder.path() + QLatin1Char('/');
        Core = std::make_unique<app::TAppCore>(Platform, Clock, Platform.Folder);
        bench::FillPapers(Core->DayPapers());
        Core->Start();
        Watch = Core->findChild<app::TNoteFileWatch*>();
    }
};

TProgram* TheProgram = nullptr;  // lives in main, inside the application's lifetime

// The core's save, then the watch's look at the file it wrote.
void BM_ProgramSave(benchmark::State& state)
{
    TProgram& program = *TheProgram;
    for (auto _ : state) {
        if (!program.Core->SaveNotes()) {
            state.SkipWithError("the notes file cannot be written");
            break;
        }
        program.Watch->Check();
    }
}
BENCHMARK(BM_ProgramSave)->Unit(benchmark::kMillisecond)->UseRealTime();

// The yardstick: the store's own save of the same papers beside the notes file.
void BM_StoreSave(benchmark::State& state)
{
    TProgram& program = *TheProgram;
    const std::string file = (program.Platform.Folder + QStringLiteral("yardstick.cal")).toStdString();
    for (auto _ : state)
        program.Core->DayPapers().SaveToFile(file);
}
BENCHMARK(BM_StoreSave)->Unit(benchmark::kMillisecond)->UseRealTime();

// The console table, then the ratio of the two (medians when repeated).
class TRatioReporter final : public benchmark::ConsoleReporter {
public:
    TRatioReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median)
                Times[run.run_name.function_name] = {run.GetAdjustedRealTime(),
                                                     run.GetAdjustedCPUTime()};
        }
    }

    void PrintRatio() const
    {
        const auto ours = Times.find("BM_ProgramSave");
        const auto yardstick = Times.find("BM_StoreSave");
        if (ours == Times.end() || yardstick == Times.end() || yardstick->second.first <= 0 ||
            yardstick->second.second <= 0)
            return;
        std::printf("program save / store save %.2f wall (%.1f ms against %.1f ms), %.2f CPU "
                    "(%.1f ms against %.1f ms); target 1.25 or less\n",
                    ours->second.first / yardstick->second.first, ours->second.first,
                    yardstick->second.first, ours->second.second / yardstick->second.second,
                    ours->second.second, yardstick->second.second);
    }

private:
    std::map<std::string, std::pair<double, double>> Times;  // wall and CPU milliseconds
};

}  // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    TProgram program;
    TheProgram = &program;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio();
    benchmark::Shutdown();
    return 0;
}
