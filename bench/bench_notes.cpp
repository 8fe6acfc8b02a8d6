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
// The ratios are printed after the table, of wall-clock times and of CPU times (md5sum's taken
// from the child's usage). Both sides of a pair read the file from the page cache. While other
// work shares the machine, the CPU ratio of the load pair is the steadier figure; the save pair
// is a matter of wall-clock time, as the copy spends nearly all of it waiting for the disk.

#include "bench/benchpapers.h"
#include "store/daypaperlist.h"
#include "store/filesave.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <spawn.h>
#include <stdexcept>
#include <string>
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

// md5sum reading and hashing the same bytes, its output thrown away. The CPU time md5sum
// spends is its child_cpu_ms, to set beside the load's CPU time when other work shares the
// machine.
void BM_Md5sum(benchmark::State& state)
{
    const char* const argv[] = {"md5sum", NotesFile().c_str(), nullptr};
    double childSeconds = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t child = 0;
        if (posix_spawn(&child, "/usr/bin/md5sum", &actions, nullptr, const_cast<char**>(argv),
                        environ) != 0) {
            state.SkipWithError("cannot start /usr/bin/md5sum");
            break;
        }
        int status = 0;
        rusage usage{};
        while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
        }
        childSeconds += Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("md5sum failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    state.counters["child_cpu_ms"] = benchmark::Counter(childSeconds * 1e3, benchmark::Counter::kAvgIterations);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileSize()));
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
BENCHMARK(BM_Md5sum)->Unit(benchmark::kMillisecond)->UseRealTime();
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
            Times[run.run_name.function_name].push_back({median, run.GetAdjustedRealTime(), cpu});
        }
    }

    void PrintRatios() const
    {
        Ratio("load / md5sum", "BM_LoadFromFile", "BM_Md5sum");
        Ratio("save / cp    ", "BM_SaveToFile", "BM_CopyFile");
    }

private:
    struct TTimes {
        bool Median = false;
        double Real = 0;
        double Cpu = 0;
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
        }
        const auto count = static_cast<double>(found->second.size());
        return {false, sum.Real / count, sum.Cpu / count};
    }

    void Ratio(const char* label, const std::string& ours, const std::string& reference) const
    {
        const TTimes a = Time(ours);
        const TTimes b = Time(reference);
        if (a.Real > 0 && b.Real > 0 && b.Cpu > 0)
            std::printf("%s %.2f wall (%.1f ms against %.1f ms), %.2f CPU (%.1f ms against %.1f ms); "
                        "target 2.00 or less\n",
                        label, a.Real / b.Real, a.Real, b.Real, a.Cpu / b.Cpu, a.Cpu, b.Cpu);
    }

    std::map<std::string, std::vector<TTimes>> Times;
};

}  // namespace

int main(int argc, char** argv)
{
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
