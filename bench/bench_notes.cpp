// The notes store at scale: 100,000 day papers of three note lines and two reminders each, with
// texts stored as String (ASCII), Utf8String and WString. Targets on a 2-core machine: load >= 100 MB/s of
// file, save >= 150 MB/s, BuildTodayList < 20 ms.
//
// Two pairs measure the store against the disk in the same run, in wall-clock time:
// - LoadFromFile (into an empty store, as at start-up) against /usr/bin/md5sum reading and hashing
//   the same file, started as a child process; target: load within 2 times md5sum.
// - SaveToFile (temporary file, flush to the disk, rename, folder flush) against a copy of the
//   file's bytes into a new file of the same folder the way cp copies (copy_file_range, read and
//   write where the kernel cannot), flushed and renamed with the same rule; target: save within
//   2 times the copy.
// - orvenna-notes find FILE TEXT (a text no paper holds), the tool as a user starts it, against
//   the same md5sum; targets: within 1.5 times md5sum, and a peak resident memory within 1.5
//   times the file's size.
// The ratios are printed after the table, of wall-clock times and of CPU times (the children's
// taken from their usage). Both sides of a pair read the file from the page cache. While other
// work shares the machine, the CPU ratio of the load pair is the steadier figure; the save pair
// is a matter of wall-clock time, as the copy spends nearly all of it waiting for the disk.

#include "bench/benchpapers.h"
#include "store/daypaperlist.h"
#include "store/filesave.h"

#include <benchmark/benchmark.h>

#include <algorithm>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace orvenna;
using namespace orvenna::store;

using bench::Today;

// A folder of its own, as the program's folder is: a save looks through the target's folder.
const std::filesystem::path& Folder()
{
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvenna-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        return std::filesystem::path(pattern);
    }();
    return folder;
}

std::string NotesPath()
{
    return (Folder() / "notes.cal").string();
}

// The generated file, written once per run.
const std::string& NotesFile()
{
    static const std::string file = [] {
        TDayPaperList store([] { return Today; });
        bench::FillPapers(store);
        SaveFileAtomically(NotesPath(), store.SaveToBytes());
        return NotesPath();
    }();
    return file;
}

std::size_t FileSize()
{
    return static_cast<std::size_t>(std::filesystem::file_size(NotesFile()));
}

// Each iteration loads into a new, empty store, as the calendar and the tool do; dropping the
// previous store's papers is not part of a load and happens outside the timing.
void BM_LoadFromFile(benchmark::State& state)
{
    auto store = std::make_unique<TDayPaperList>([] { return Today; });
    for (auto _ : state) {
        store->LoadFromFile(NotesFile());
        benchmark::DoNotOptimize(store->Count());
        state.PauseTiming();
        store = std::make_unique<TDayPaperList>([] { return Today; });
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileSize()));
}

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

struct TChildRun {
    double WallSeconds = 0;
    double CpuSeconds = 0;
    double PeakKb = 0;  // the child's largest resident size
};

// Starts the program with its output thrown away, waits for it and measures it; none when it
// did not start or did not end with status 0. This runs inside a small process of its own
// (ChildMain): a child started from this large one would have this one's resident size counted
// in its peak.
std::optional<TChildRun> MeasureChild(char** argv)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int started = posix_spawn(&child, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return std::nullopt;
    int status = 0;
    rusage usage{};
    while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return TChildRun{wall.count(), Seconds(usage.ru_utime) + Seconds(usage.ru_stime),
                     double(usage.ru_maxrss)};
}

constexpr std::string_view ChildSwitch = "--measure-child";

// bench_notes --measure-child PROGRAM ARGS...: one line "wall cpu peak" on stdout.
int ChildMain(char** argv)
{
    const std::optional<TChildRun> run = MeasureChild(argv);
    if (!run)
        return 1;
    std::printf("%.9f %.9f %.0f\n", run->WallSeconds, run->CpuSeconds, run->PeakKb);
    return 0;
}

std::optional<TChildRun> RunChild(const std::vector<std::string>& args)
{
    static const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string command = "'" + self + "' " + std::string(ChildSwitch);
    for (const std::string& arg : args)
        command += " '" + arg + "'";  // the arguments here hold no quote
    FILE* measure = ::popen(command.c_str(), "r");
    if (measure == nullptr)
        return std::nullopt;
    TChildRun run;
    const int got = std::fscanf(measure, "%lf %lf %lf", &run.WallSeconds, &run.CpuSeconds, &run.PeakKb);
    if (::pclose(measure) != 0 || got != 3)
        return std::nullopt;
    return run;
}

// A program over the notes file as a child process; the CPU time it spends is its child_cpu_ms,
// to set beside the others' when other work shares the machine, its peak memory peak_MB.
void RunChildren(benchmark::State& state, const std::vector<std::string>& args)
{
    double childSeconds = 0;
    double peakKb = 0;
    for (auto _ : state) {
        const std::optional<TChildRun> run = RunChild(args);
        if (!run) {
            state.SkipWithError(("cannot run " + args[0]).c_str());
            break;
        }
        state.SetIterationTime(run->WallSeconds);
        childSeconds += run->CpuSeconds;
        peakKb = std::max(peakKb, run->PeakKb);
    }
    state.counters["child_cpu_ms"] = benchmark::Counter(childSeconds * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["peak_MB"] = peakKb / 1024;
    state.counters["file_MB"] = double(FileSize()) / (1024 * 1024);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileSize()));
}

// md5sum reading and hashing the same bytes.
void BM_Md5sum(benchmark::State& state)
{
    RunChildren(state, {"/usr/bin/md5sum", NotesFile()});
}

// The tool's search for a text no paper holds: a load of the whole file and a walk over it.
void BM_NotesToolFind(benchmark::State& state)
{
    // ORVENNA_NOTES_TOOL in the environment names another build's tool, to compare builds.
    const char* tool = std::getenv("ORVENNA_NOTES_TOOL");
    RunChildren(state, {tool ? tool : ORVENNA_NOTES_TOOL, "find", NotesFile(), "no such words"});
}

void BM_SaveToFile(benchmark::State& state)
{
    TDayPaperList store([] { return Today; });
    store.LoadFromFile(NotesFile());
    const std::string target = NotesFile() + ".saved";
    for (auto _ : state)
        store.SaveToFile(target);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileSize()));
    std::filesystem::remove(target);
}

// What cp does with the file, plus the save's flush rule: a new file beside the target gets the
// bytes through copy_file_range (read and write where the kernel refuses), is flushed to the
// disk, renamed over the target, and the folder is flushed.
void CopyLikeCp(const std::string& source, const std::string& target)
{
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    const std::string temp = target + ".copy-tmp";
    const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (in < 0 || out < 0)
        throw std::runtime_error("cannot open the copy's files");
    bool kernelCopy = true;
    static char buffer[1 << 17];
    for (;;) {
        ssize_t done = -1;
        if (kernelCopy) {
            done = ::copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
            if (done < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                             errno == EOPNOTSUPP)) {
                kernelCopy = false;
                continue;
            }
        } else {
            done = ::read(in, buffer, sizeof buffer);
            for (ssize_t written = 0; done > 0 && written < done;) {
                const ssize_t step = ::write(out, buffer + written, static_cast<std::size_t>(done - written));
                if (step <= 0)
                    throw std::runtime_error("cannot write the copy");
                written += step;
            }
        }
        if (done == 0)
            break;
        if (done < 0)
            throw std::runtime_error("cannot copy");
    }
    if (::fsync(out) != 0 || ::close(out) != 0 || ::close(in) != 0 ||
        ::rename(temp.c_str(), target.c_str()) != 0)
        throw std::runtime_error("cannot finish the copy");
    const int folder = ::open(std::filesystem::path(target).parent_path().c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

void BM_CopyFile(benchmark::State& state)
{
    const std::string target = NotesFile() + ".copied";
    for (auto _ : state)
        CopyLikeCp(NotesFile(), target);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileSize()));
    std::filesystem::remove(target);
}

void BM_SaveToBytes(benchmark::State& state)
{
    TDayPaperList store([] { return Today; });
    store.LoadFromFile(NotesFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(store.SaveToBytes());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileSize()));
}

void BM_BuildTodayList(benchmark::State& state)
{
    TDayPaperList store([] { return Today; });
    store.LoadFromFile(NotesFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(store.BuildTodayList().ReminderCount());
    state.counters["due"] = store.TodayList().ReminderCount();
}

void BM_FindNextByTextMiss(benchmark::State& state)
{
    TDayPaperList store([] { return Today; });
    store.LoadFromFile(NotesFile());
    // Alternating texts make every call search all papers from the first.
    const std::string texts[] = {"no such words", "nor these words"};
    int n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.FindNextByText(texts[n++ & 1]));
}

BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Md5sum)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_NotesToolFind)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveToBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildTodayList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNextByTextMiss)->Unit(benchmark::kMillisecond);

// The console table, then each pair's ratio of wall-clock times (medians when repeated).
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
            if (run.run_type != Run::RT_Iteration && !median)
                continue;
            const auto child = run.counters.find("child_cpu_ms");
            // The child's CPU time is already in milliseconds, as the table's times are.
            const double cpu = child != run.counters.end() ? child->second.value
                                                            : run.GetAdjustedCPUTime();
            const auto peak = run.counters.find("peak_MB");
            Times[run.run_name.function_name].push_back(
                {median, run.GetAdjustedRealTime(), cpu, peak != run.counters.end() ? peak->second.value : 0});
        }
    }

    void PrintRatios() const
    {
        Ratio("load / md5sum", "BM_LoadFromFile", "BM_Md5sum", 2.0);
        Ratio("find / md5sum", "BM_NotesToolFind", "BM_Md5sum", 1.5);
        Ratio("save / cp    ", "BM_SaveToFile", "BM_CopyFile", 2.0);
        const TTimes find = Time("BM_NotesToolFind");
        const double fileMb = double(FileSize()) / (1024 * 1024);
        if (find.PeakMb > 0)
            std::printf("find peak memory %.2f x the file (%.1f MB for %.1f MB); target 1.50 or less\n",
                        find.PeakMb / fileMb, find.PeakMb, fileMb);
    }

private:
    struct TTimes {
        bool Median = false;
        double Real = 0;
        double Cpu = 0;
        double PeakMb = 0;
    };

    // The median when there is one, else the mean of the runs.
    TTimes Time(const std::string& name) const
    {
        const auto found = Times.find(name);
        if (found == Times.end() || found->second.empty())
            return {};
        TTimes sum;
        for (const TTimes& times : found->second) {
            if (times.Median)
                return times;
            sum.Real += times.Real;
            sum.Cpu += times.Cpu;
            sum.PeakMb = std::max(sum.PeakMb, times.PeakMb);
        }
        const auto count = static_cast<double>(found->second.size());
        return {false, sum.Real / count, sum.Cpu / count, sum.PeakMb};
    }

    void Ratio(const char* label, const std::string& ours, const std::string& reference,
               double target) const
    {
        const TTimes a = Time(ours);
        const TTimes b = Time(reference);
        if (a.Real > 0 && b.Real > 0 && b.Cpu > 0)
            std::printf("%s %.2f wall (%.1f ms against %.1f ms), %.2f CPU (%.1f ms against %.1f ms); "
                        "target %.2f or less\n",
                        label, a.Real / b.Real, a.Real, b.Real, a.Cpu / b.Cpu, a.Cpu, b.Cpu, target);
    }

    std::map<std::string, std::vector<TTimes>> Times;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && argv[1] == ChildSwitch)
        return ChildMain(argv + 2);
    // bench_notes --write-notes FILE: the generated file only, for a profiler's run of the tool.
    if (argc == 3 && argv[1] == std::string_view("--write-notes")) {
        TDayPaperList store([] { return Today; });
        bench::FillPapers(store);
        SaveFileAtomically(argv[2], store.SaveToBytes());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    NotesFile();  // written before any timing starts
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(Folder(), ignored);
    return 0;
}
