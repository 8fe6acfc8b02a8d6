// orvenna-notes import-ics as a user runs it, a process per import into a new notes file:
// - 100,000 events (ten a day over 27 years, half of them in a zone the file defines);
// - one event whose description is a single unfolded line of 10 MB;
// - zone definitions that start in 1601 and change every hour or every minute (343 bytes).
// Targets: the 100,000 events within 2 s, no file under 1 MB over 2 s or 200 MB.
//
// The yardstick in the same run is /usr/bin/md5sum hashing the 100,000-event file; the ratio
// of the import's wall-clock and CPU times to it is printed after the table. Each import is
// stopped after 60 s of CPU time. --tool=PATH measures another build of orvenna-notes.

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <signal.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int EventCount = 100000;
constexpr std::size_t LongLineBytes = 10u << 20;
constexpr rlim_t CpuLimitSeconds = 60;

std::string Tool = std::string(ORVENNA_BIN_DIR) + "/orvenna-notes";

const std::filesystem::path& Folder()
{
    static const std::filesystem::path folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvenna-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        return std::filesystem::path(pattern);
    }();
    return folder;
}

std::string Write(const std::string& name, const std::string& text)
{
    const std::string path = (Folder() / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// "YYYYMMDD" of the day that many days after 1 January 2026.
std::string DateText(int days)
{
    int y = 2026, m = 1, d = 1 + days;
    const auto monthDays = [](int year, int month) {
        static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return lengths[month - 1] + (month == 2 && leap);
    };
    while (d > monthDays(y, m)) {
        d -= monthDays(y, m);
        if (++m > 12) {
            m = 1;
            ++y;
        }
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d", y, m, d);
    return text;
}

constexpr const char* Berlin =
    "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nTZNAME:CEST\r\n"
    "DTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nTZNAME:CET\r\n"
    "DTSTART:19701025T030000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\n"
    "END:VTIMEZONE\r\n";

const std::string& EventsFile()
{
    static const std::string file = [] {
        std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n";
        text += Berlin;
        for (int i = 0; i < EventCount; ++i) {
            const std::string date = DateText(i / 10);
            char time[16];
            std::snprintf(time, sizeof time, "%02d%02d00", 8 + i % 10, (i * 7) % 60);
            const std::string zone = i % 2 ? ";TZID=Europe/Berlin" : "";
            text += "BEGIN:VEVENT\r\nUID:event-" + std::to_string(i) +
                    "@bench\r\nDTSTAMP:20260101T000000Z\r\nDTSTART" + zone + ":" + date + "T" +
                    time + "\r\nDURATION:PT1H\r\nSUMMARY:Meeting " + std::to_string(i) +
                    "\r\nDESCRIPTION:Agenda of meeting " + std::to_string(i) +
                    "\\, room 4\r\nEND:VEVENT\r\n";
        }
        return Write("events.ics", text + "END:VCALENDAR\r\n");
    }();
    return file;
}

const std::string& LongLineFile()
{
    static const std::string file = [] {
        std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\nBEGIN:VEVENT\r\n"
                           "UID:long@bench\r\nDTSTART:20260307T100000\r\nSUMMARY:Long\r\n"
                           "DESCRIPTION:";
        for (std::size_t i = 0; text.size() < LongLineBytes; ++i)
            text += "word" + std::to_string(i % 1000) + ' ';
        return Write("longline.ics", text + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    }();
    return file;
}

std::string ZoneFile(const char* frequency)
{
    return Write(std::string("zone-") + frequency + ".ics",
                 std::string("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//EN\r\n"
                             "BEGIN:VTIMEZONE\r\nTZID:Z\r\nBEGIN:STANDARD\r\n"
                             "DTSTART:16010101T000000\r\nRRULE:FREQ=") +
                     frequency +
                     "\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nEND:STANDARD\r\n"
                     "END:VTIMEZONE\r\nBEGIN:VEVENT\r\nUID:z@bench\r\n"
                     "DTSTART;TZID=Z:20260307T100000\r\nSUMMARY:In zone Z\r\nEND:VEVENT\r\n"
                     "END:VCALENDAR\r\n");
}

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

double Now()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs the program with its output thrown away; sets the iteration's wall-clock time and adds
// its CPU time and peak memory to the counters. False when it failed or ran out of CPU time.
bool RunChild(benchmark::State& state, const std::vector<std::string>& args, double& cpuSeconds,
              double& peakMb)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const double start = Now();
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit cpu{CpuLimitSeconds, CpuLimitSeconds};
        ::setrlimit(RLIMIT_CPU, &cpu);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    state.SetIterationTime(Now() - start);
    cpuSeconds += Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    peakMb = std::max(peakMb, static_cast<double>(usage.ru_maxrss) / 1024.0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Import(benchmark::State& state, const std::string& ics)
{
    const std::string notes = (Folder() / "2004.cal").string();
    double cpu = 0;
    double peak = 0;
    for (auto _ : state) {
        std::filesystem::remove(notes);
        if (!RunChild(state, {Tool, "import-ics", notes, ics}, cpu, peak)) {
            state.SkipWithError("import-ics failed or ran past its CPU limit");
            break;
        }
    }
    state.counters["child_cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["peak_MB"] = peak;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(ics)));
}

void BM_ImportEvents(benchmark::State& state) { Import(state, EventsFile()); }
void BM_ImportLongLine(benchmark::State& state) { Import(state, LongLineFile()); }
void BM_ImportZoneHourlyFrom1601(benchmark::State& state) { Import(state, ZoneFile("HOURLY")); }
void BM_ImportZoneMinutelyFrom1601(benchmark::State& state) { Import(state, ZoneFile("MINUTELY")); }

void BM_Md5sum(benchmark::State& state)
{
    double cpu = 0;
    double peak = 0;
    for (auto _ : state)
        if (!RunChild(state, {"/usr/bin/md5sum", EventsFile()}, cpu, peak)) {
            state.SkipWithError("md5sum failed");
            break;
        }
    state.counters["child_cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(EventsFile())));
}

BENCHMARK(BM_Md5sum)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_ImportEvents)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ImportLongLine)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ImportZoneHourlyFrom1601)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_ImportZoneMinutelyFrom1601)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// The console table, then the import of the events against md5sum of the same file.
class TRatioReporter final : public benchmark::ConsoleReporter {
public:
    TRatioReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto child = run.counters.find("child_cpu_ms");
            if (run.error_occurred || run.run_type != Run::RT_Iteration ||
                child == run.counters.end())
                continue;
            Times[run.run_name.function_name] = {run.GetAdjustedRealTime(), child->second.value};
        }
    }

    void PrintRatio() const
    {
        const auto ours = Times.find("BM_ImportEvents");
        const auto yardstick = Times.find("BM_Md5sum");
        if (ours == Times.end() || yardstick == Times.end())
            return;
        std::printf("import of %d events / md5sum of the file: %.1f wall (%.0f ms against %.1f ms), "
                    "%.1f CPU (%.0f ms against %.1f ms)\n",
                    EventCount, ours->second.first / yardstick->second.first, ours->second.first,
                    yardstick->second.first, ours->second.second / yardstick->second.second,
                    ours->second.second, yardstick->second.second);
    }

private:
    std::map<std::string, std::pair<double, double>> Times;  // wall, CPU in ms
};

}  // namespace

int main(int argc, char** argv)
{
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--tool=", 0) == 0)
            Tool = arg.substr(7);
        else
            rest.push_back(argv[i]);
    }
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    if (benchmark::ReportUnrecognizedArguments(count, rest.data()))
        return 1;
    EventsFile();  // written before any timing starts
    LongLineFile();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(Folder(), ignored);
    return 0;
}
