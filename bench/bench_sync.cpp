// The sync against a private radicale on 127.0.0.1 holding 2,000 timed events:
// - FirstSync: an empty notes file and no side file take all 2,000 (listing, multiget in
//   batches, import, one save), against CalendarQuery: one calendar-query REPORT asking for the
//   same events' data, read as XML. Target: the first sync within 3 times the query.
// - UnchangedSync: a sync after which nothing changed on either side; the counter "requests" is
//   the HTTP requests it sent (target: at most three).
// The ratio of the wall-clock times is printed after the table. The server is asked for a sync
// token once before, as any client of it would have done long ago (it then builds a history of
// every item, once).

#include "ical/davclient.h"
#include "ical/davxml.h"
#include "ical/syncengine.h"
#include "tests/support/serverprocess.h"
#include "tests/support/tempfolder.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

namespace {

using namespace orvenna;

// ORVENNA_SYNC_EVENTS sets another number of events (a quick look at a loaded machine).
const int Events = [] {
    const char* count = std::getenv("ORVENNA_SYNC_EVENTS");
    return count != nullptr && std::atoi(count) > 0 ? std::atoi(count) : 2000;
}();

struct TWorld {
    test::TTempFolder Storage;
    std::unique_ptr<test::TServerProcess> Server;
    std::string Calendar;
};

// Made by the first benchmark that needs it; main ends it, which stops the server and removes
// its folder (a server left running would keep the caller's output pipe open).
std::unique_ptr<TWorld> TheWorld;

TWorld& World()
{
    if (!TheWorld) {
        auto made = std::make_unique<TWorld>();
        made->Server = std::make_unique<test::TServerProcess>(std::vector<std::string>{
            "/usr/bin/python3", "-m", "radicale", "--config", "", "--server-hosts",
            "127.0.0.1:{port}", "--auth-type", "none", "--storage-filesystem-folder",
            made->Storage.File("store"), "--logging-level", "error"});
        made->Calendar = made->Server->Url("/u/cal/");
        // The whole calendar in one PUT on the collection: one resource per event.
        std::string data = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//Bench//EN\r\n";
        for (int i = 0; i < Events; ++i) {
            char event[400];
            std::snprintf(event, sizeof event,
                          "BEGIN:VEVENT\r\nUID:bench-%d\r\nDTSTAMP:20260101T000000Z\r\n"
                          "DTSTART:2026%02d%02dT%02d%02d00Z\r\nSUMMARY:Event number %d\r\n"
                          "DESCRIPTION:A line of description for event %d\r\nEND:VEVENT\r\n",
                          i, 1 + i % 12, 1 + i % 28, i % 24, i % 60, i, i);
            data += event;
        }
        data += "END:VCALENDAR\r\n";
        ical::TDavClient client({QUrl(QString::fromStdString(made->Calendar)), "u", "", {}, 600000});
        client.Send("PUT", QUrl(QString::fromStdString(made->Calendar)),
                    QByteArray::fromStdString(data), {{"Content-Type", "text/calendar"}});
        // The server keeps a history of every item for its sync tokens, made when a token is
        // first asked for; that happens once in a calendar's life, not in every first sync.
        client.Describe();
        TheWorld = std::move(made);
    }
    return *TheWorld;
}


void FirstSync(benchmark::State& state)
{
    TWorld& world = World();
    for (auto _ : state) {
        state.PauseTiming();
        test::TTempFolder folder;
        const std::string notes = folder.File("2004.cal");
        state.ResumeTiming();
        ical::TDavClient client({QUrl(QString::fromStdString(world.Calendar)), "u", "", {}, 600000});
        const ical::TSyncResult result = ical::SyncNotes(client, {.NotesFile = notes});
        if (!result.Done() || result.Received.Added != Events)
            state.SkipWithError(("sync: " + result.Error).c_str());
    }
}

void CalendarQuery(benchmark::State& state)
{
    TWorld& world = World();
    const QByteArray query =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<c:calendar-query xmlns:d=\"DAV:\" "
        "xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:prop><d:getetag/><c:calendar-data/>"
        "</d:prop><c:filter><c:comp-filter name=\"VCALENDAR\"><c:comp-filter name=\"VEVENT\"/>"
        "</c:comp-filter></c:filter></c:calendar-query>";
    for (auto _ : state) {
        ical::TDavClient client({QUrl(QString::fromStdString(world.Calendar)), "u", "", {}, 600000});
        const auto reply = client.Send("REPORT", QUrl(QString::fromStdString(world.Calendar)), query,
                                       {{"Depth", "1"}, {"Content-Type", "application/xml"}});
        const auto status = ical::ParseMultiStatus(reply.Body);
        if (static_cast<int>(status.Responses.size()) != Events)
            state.SkipWithError("calendar-query: not every event");
    }
}

void UnchangedSync(benchmark::State& state)
{
    TWorld& world = World();
    test::TTempFolder folder;
    const std::string notes = folder.File("2004.cal");
    {
        ical::TDavClient client({QUrl(QString::fromStdString(world.Calendar)), "u", "", {}, 600000});
        ical::SyncNotes(client, {.NotesFile = notes});
    }
    int requests = 0;
    for (auto _ : state) {
        ical::TDavClient client({QUrl(QString::fromStdString(world.Calendar)), "u", "", {}, 600000});
        const ical::TSyncResult result = ical::SyncNotes(client, {.NotesFile = notes});
        if (!result.Done() || result.Received.Added != 0)
            state.SkipWithError("the unchanged sync changed something");
        requests = client.RequestCount();
    }
    state.counters["requests"] = requests;
}

// Keeps each benchmark's mean wall-clock time per iteration for the ratio.
class TRatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.iterations > 0)
                Means[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> Means;
};

}  // namespace

BENCHMARK(FirstSync)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(CalendarQuery)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(UnchangedSync)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    double first = 0, query = 0;
    for (const auto& [name, mean] : reporter.Means) {
        if (name.rfind("FirstSync", 0) == 0)
            first = mean;
        if (name.rfind("CalendarQuery", 0) == 0)
            query = mean;
    }
    if (first > 0 && query > 0)
        std::printf("first sync of %d events / one calendar-query REPORT: %.2f (target <= 3)\n",
                    Events, first / query);
    TheWorld.reset();
    benchmark::Shutdown();
}
