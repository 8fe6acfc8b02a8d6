// The notes store at scale: 100,000 day papers of three note lines and two reminders each, with
// texts stored as String (ASCII), Utf8String and WString. Targets on a 2-core machine: load >= 100 MB/s of
// file, save >= 150 MB/s, BuildTodayList < 20 ms.

#include "store/daypaperlist.h"
#include "store/filesave.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using namespace orvenna::store;

constexpr int PaperCount = 100000;
constexpr TDate FirstDay = 36000;  // 24 July 1998
const TDate Today = FirstDay + PaperCount / 2;

void Fill(TDayPaperList& store)
{
    for (int i = 0; i < PaperCount; ++i) {
        TDayPaper& paper = store.AddDayPaper();
        paper.Day = FirstDay + i;
        const std::string n = std::to_string(i);
        paper.Note = {"Meeting with the team about item " + n, "Caf\xC3\xA9 au lait for Zo\xC3\xAB " + n,
                      "\xCE\x97\xCE\xBB\xCE\xAF\xCE\xB1\xCF\x82 " + n};
        TReminder& first = paper.ReminderList.AddReminder();
        first.Desc = {"Bring the papers", "Call back " + n};
        first.When = paper.Day + 0.375;
        first.category = "Calls";
        first.Subject = "Dentist " + n;
        first.Before = i % 7;
        first.Recurrency = i % 5;
        TReminder& second = paper.ReminderList.AddReminder();
        second.When = paper.Day + 0.75;
        second.category = "Meeting";
        second.Subject = "\xCE\x9A\xCE\xB1\xCF\x86\xCE\xAD\xCF\x82";
        second.Before = lt1Hour;
    }
}

std::string NotesPath()
{
    const auto name = "orvenna-bench-" + std::to_string(::getpid()) + ".cal";
    return (std::filesystem::temp_directory_path() / name).string();
}

// The generated file, written once per run.
const std::string& NotesFile()
{
    static const std::string file = [] {
        TDayPaperList store([] { return Today; });
        Fill(store);
        SaveFileAtomically(NotesPath(), store.SaveToBytes());
        return NotesPath();
    }();
    return file;
}

std::size_t FileSize()
{
    return static_cast<std::size_t>(std::filesystem::file_size(NotesFile()));
}

void BM_LoadFromFile(benchmark::State& state)
{
    TDayPaperList store([] { return Today; });
    for (auto _ : state) {
        store.LoadFromFile(NotesFile());
        benchmark::DoNotOptimize(store.Count());
    }
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

BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveToBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildTodayList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNextByTextMiss)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove(NotesPath(), ignored);
    return 0;
}
