// Start-up of the real program on an X display, side by side with the floor program
// (bench/floor.cpp: a bare Qt window of the calendar's size and a tray icon): from the process
// start to the window mapped on the screen, and to its pixels painted, and the resident memory
// a moment after that (the floor also with a line of text, bench_floor --text); also the time to
// the first window on the screen, which for the program is its splash. The program starts with
// the wallpaper to decode (cold) and with the captures of an unchanged desktop from the run
// before (warm). Runs inside bench/measure_startup.sh, which makes the session, a 4K JPEG
// wallpaper on a black root window and the program folder, and leaves the splash's hold out
// (ORVENNA_BENCH_NO_SPLASH_HOLD). Each iteration starts the floor program, the floor with text
// and then the program, each ended once it has painted and its memory was read; the time is the
// program's painted figure, the floor's and the memory are counters, and the ratios of the
// medians follow the table.
//
//   bench_startup PROGRAM_FOLDER FLOOR_PROGRAM [benchmark options]

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int CalendarWidth = 296;
constexpr int CalendarHeight = 216;
constexpr auto Deadline = std::chrono::seconds(20);

std::string ProgramFolder;
std::string FloorProgram;
// How long after its first paint a program's resident memory is read: start-up's last
// compositions and paints have passed by then.
constexpr auto SettleTime = std::chrono::milliseconds(1500);

struct TFree {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using TReply = std::unique_ptr<T, TFree>;

class TDisplay {
public:
    TDisplay()
    {
        Connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(Connection))
            throw std::runtime_error("no X display");
        Root = xcb_setup_roots_iterator(xcb_get_setup(Connection)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(Connection, Root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(Connection);
    }
    ~TDisplay() { xcb_disconnect(Connection); }

    void Drain()
    {
        while (TReply<xcb_generic_event_t> event{xcb_poll_for_event(Connection)}) {
        }
    }

    // The rectangle of the next window of the calendar's size that gets mapped on the root;
    // firstMap, when given, gets the time the first window of any size was mapped (the program's
    // splash, or the floor's window itself).
    std::optional<xcb_rectangle_t> WaitForCalendarMap(Clock::time_point deadline,
                                                      Clock::time_point* firstMap = nullptr)
    {
        pollfd fd{xcb_get_file_descriptor(Connection), POLLIN, 0};
        while (Clock::now() < deadline) {
            TReply<xcb_generic_event_t> event{xcb_poll_for_event(Connection)};
            if (!event) {
                poll(&fd, 1, 5);
                continue;
            }
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
                continue;
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event.get());
            if (firstMap && *firstMap == Clock::time_point{})
                *firstMap = Clock::now();
            TReply<xcb_get_geometry_reply_t> geometry{
                xcb_get_geometry_reply(Connection, xcb_get_geometry(Connection, map->window), nullptr)};
            if (geometry && geometry->width == CalendarWidth && geometry->height == CalendarHeight)
                return xcb_rectangle_t{geometry->x, geometry->y, geometry->width, geometry->height};
        }
        return std::nullopt;
    }

    // Pixels of the rectangle on the screen that are not black (the root is black).
    int LitPixels(const xcb_rectangle_t& r)
    {
        TReply<xcb_get_image_reply_t> image{xcb_get_image_reply(
            Connection,
            xcb_get_image(Connection, XCB_IMAGE_FORMAT_Z_PIXMAP, Root, r.x, r.y, r.width, r.height, ~0u),
            nullptr)};
        if (!image)
            return 0;
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image.get()));
        const int count = xcb_get_image_data_length(image.get()) / 4;
        int lit = 0;
        for (int i = 0; i < count; ++i)
            lit += (pixels[i] & 0xffffff) != 0;
        return lit;
    }

private:
    xcb_connection_t* Connection = nullptr;
    xcb_window_t Root = 0;
};

pid_t Start(const std::string& program, const char* option = nullptr)
{
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(option), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        throw std::runtime_error("cannot start " + program);
    return pid;
}

void EndProgram(pid_t pid)
{
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

// VmRSS of a running process in kB; 0 when it cannot be read.
double ResidentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atof(line.c_str() + 6);
    return 0;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct TStartFigures {
    double Mapped = 0;    // ms from the process start
    double FirstMapped = 0;  // ms until the program's first window was mapped
    double Painted = 0;   // ms; 0 when the window never showed
    double Resident = 0;  // kB, SettleTime after it painted
};

TStartFigures StartOnce(TDisplay& display, const std::string& program, const char* option = nullptr)
{
    display.Drain();
    const Clock::time_point start = Clock::now();
    const pid_t pid = Start(program, option);
    Clock::time_point firstMap{};
    const auto place = display.WaitForCalendarMap(start + Deadline, &firstMap);
    const Clock::time_point mappedAt = Clock::now();
    if (firstMap == Clock::time_point{})
        firstMap = mappedAt;
    // Painted: the window's pixels cover the black of the root.
    bool painted = false;
    while (place && !painted && Clock::now() < start + Deadline)
        painted = display.LitPixels(*place) > CalendarWidth * CalendarHeight / 4;
    const Clock::time_point paintedAt = Clock::now();
    std::this_thread::sleep_for(SettleTime);
    const double resident = ResidentKb(pid);
    EndProgram(pid);
    return {Ms(mappedAt - start), Ms(firstMap - start), painted ? Ms(paintedAt - start) : 0, resident};
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct TPairMedians {
    double Painted = 0, FloorPainted = 0, Resident = 0, FloorResident = 0;
    double TextPainted = 0, TextResident = 0;  // the floor that also writes a line of text
    double FirstMapped = 0, FloorMapped = 0;    // the first window of each on the screen
};
std::map<bool, TPairMedians> Medians;  // by warm

// cold (0): the captures of the run before are taken away, so the wallpaper is decoded, as on
// the first start after the desktop changed. warm (1): an unchanged desktop since the last run.
void BM_StartUntilCalendarShown(benchmark::State& state)
{
    const bool warm = state.range(0) != 0;
    const std::string program = ProgramFolder + "/orvenna";
    const std::string key = ProgramFolder + "/bk.key";
    TDisplay display;
    if (warm)
        StartOnce(display, program);
    std::vector<double> mapped, painted, resident, floorPainted, floorResident, textPainted, textResident;
    std::vector<double> firstMapped, floorMapped;
    for (auto _ : state) {
        const TStartFigures floor = StartOnce(display, FloorProgram);
        const TStartFigures text = StartOnce(display, FloorProgram, "--text");
        if (!warm)
            unlink(key.c_str());
        const TStartFigures ours = StartOnce(display, program);
        if (ours.Painted == 0 || floor.Painted == 0 || text.Painted == 0) {
            state.SkipWithError(ours.Painted == 0 ? "the calendar did not show" : "the floor did not show");
            break;
        }
        state.SetIterationTime(ours.Painted / 1000.0);
        mapped.push_back(ours.Mapped);
        firstMapped.push_back(ours.FirstMapped);
        floorMapped.push_back(floor.Mapped);
        painted.push_back(ours.Painted);
        resident.push_back(ours.Resident);
        floorPainted.push_back(floor.Painted);
        floorResident.push_back(floor.Resident);
        textPainted.push_back(text.Painted);
        textResident.push_back(text.Resident);
    }
    Medians[warm] = {Median(painted),      Median(floorPainted), Median(resident),
                     Median(floorResident), Median(textPainted),  Median(textResident),
                     Median(firstMapped),   Median(floorMapped)};
    state.counters["mapped_ms"] = Median(mapped);
    state.counters["first_window_ms"] = Medians[warm].FirstMapped;
    state.counters["floor_ms"] = Medians[warm].FloorPainted;
    state.counters["rss_MB"] = Medians[warm].Resident / 1024;
    state.counters["floor_rss_MB"] = Medians[warm].FloorResident / 1024;
    state.counters["text_floor_rss_MB"] = Medians[warm].TextResident / 1024;
}
BENCHMARK(BM_StartUntilCalendarShown)
    ->ArgName("warm")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

void PrintRatios()
{
    for (const auto& [warm, m] : Medians) {
        if (m.FloorPainted <= 0 || m.FloorResident <= 0)
            continue;
        std::printf("%s start: shown %.2f x the floor (%.0f ms against %.0f ms; target 1.25 or "
                    "less), resident %.2f x the floor (%.1f MB against %.1f MB; target 1.10 or "
                    "less)\n",
                    warm ? "warm" : "cold", m.Painted / m.FloorPainted, m.Painted, m.FloorPainted,
                    m.Resident / m.FloorResident, m.Resident / 1024, m.FloorResident / 1024);
        if (m.TextPainted > 0 && m.TextResident > 0)
            std::printf("%s start against the floor with text: shown %.2f x (%.0f ms), resident "
                        "%.2f x (%.1f MB)\n",
                        warm ? "warm" : "cold", m.Painted / m.TextPainted, m.TextPainted,
                        m.Resident / m.TextResident, m.TextResident / 1024);
        if (m.FirstMapped > 0 && m.FloorMapped > 0)
            std::printf("%s start: the first window (the splash) mapped %.2f x the floor's window "
                        "(%.0f ms against %.0f ms)\n",
                        warm ? "warm" : "cold", m.FirstMapped / m.FloorMapped, m.FirstMapped,
                        m.FloorMapped);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER FLOOR_PROGRAM [benchmark options]\n", argv[0]);
        return 2;
    }
    ProgramFolder = argv[1];
    FloorProgram = argv[2];
    benchmark::RunSpecifiedBenchmarks();
    PrintRatios();
    benchmark::Shutdown();
    return 0;
}
