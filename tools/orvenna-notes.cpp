// orvenna-notes: inspect, script and repair a notes file with the store's own code.
//
//   orvenna-notes dump [NOTESFILE]          JSON of the store after loading, with the swallowed error
//   orvenna-notes build NOTESFILE           JSON on stdin -> papers added in order -> saved
//                                           (a file that does not load cleanly is copied first)
//   orvenna-notes due [NOTESFILE] YYYY-MM-DD  JSON array of the reminders due on that date
//   orvenna-notes find NOTESFILE TEXT...    one line per TEXT: index of the next hit, or -1
//   orvenna-notes export-ics [NOTESFILE] [FROM [TO]]  iCalendar of the papers of those days (dates
//                                           YYYY-MM-DD, inclusive) on stdout
//   orvenna-notes import-ics [NOTESFILE] FILE.ics   the file's events and to-dos added, saved,
//                                           and one summary line on stdout
//   orvenna-notes sync NOTESFILE URL [--user NAME] [--password-file FILE] [--state FILE]
//                 [--force-delete]          two-way sync with a calendar on a CalDAV server;
//                                           one JSON line on stdout (tools/synccommand.h)
//   orvenna-notes settings-dump [CFGFILE]   JSON of a fresh settings record after loading the file
//   orvenna-notes settings-build CFGFILE    JSON on stdin -> applied to a fresh record -> saved
//                                           (a file that does not load is copied first)
//   orvenna-notes lock FILE COMMAND [ARG...]  runs the command while holding FILE's lock; the
//                                           orvenna-notes commands it runs share that lock, so
//                                           a dump, an edit and a build make one change
//   orvenna-notes folder                    the program folder
//
// A file left out is "2004.cal" or "Setting.cfg" in the program folder of the program beside
// this tool, by the program's own rule (platform/programfolder.h); export-ics takes a first
// argument that is a date as FROM. The commands that replace a whole file (build,
// settings-build), lock, and find, whose texts could be file names, always name their file.
//
// Every command that writes a file holds the file's lock (store/filelock.h) from before it
// reads the file until the new one is in place, so writers at once never lose each other's
// changes; a writer waits up to 30 seconds for another one and then gives up with exit code 2.
//
// Exit codes: 0 done; 1 the file was read only up to a failure or holds bytes past its counted
// papers (dump, due, find, export-ics, settings-dump; import-ics then imports nothing) or the
// input was refused (build, settings-build, import-ics); 2 the file could not be opened, locked
// or written; 64 wrong arguments; lock: the command's own exit code, 127 when it cannot be run;
// sync has its own (tools/synccommand.h).

#include "ical/icalendar.h"
#include "platform/programfolder.h"
#include "store/errors.h"
#include "store/filelock.h"
#include "store/filesave.h"
#include "tools/notesjson.h"
#include "tools/settingsjson.h"
#include "tools/synccommand.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace orvenna;
using store::TDate;
using store::TDayPaperList;

constexpr int ExitDamaged = 1;
constexpr int ExitFile = 2;
constexpr int ExitUsage = 64;
// How long a writer waits for the lock of its file. Scripts start many writers at once, and each
// waits its turn; a lock held longer than this belongs to a writer that hangs.
constexpr std::chrono::milliseconds LockWait = std::chrono::seconds(30);
// An iCalendar file larger than this is refused rather than read into memory.
constexpr std::uintmax_t MaxCalendarBytes = 64u << 20;

constexpr const char* Usage =
    "usage: orvenna-notes dump [NOTESFILE]\n"
    "       orvenna-notes build NOTESFILE < notes.json\n"
    "       orvenna-notes due [NOTESFILE] YYYY-MM-DD\n"
    "       orvenna-notes find NOTESFILE TEXT...\n"
    "       orvenna-notes export-ics [NOTESFILE] [FROM [TO]] > calendar.ics\n"
    "       orvenna-notes import-ics [NOTESFILE] FILE.ics\n"
    "       orvenna-notes sync NOTESFILE URL [--user NAME] [--password-file FILE]\n"
    "                         [--state FILE] [--force-delete]\n"
    "       orvenna-notes settings-dump [CFGFILE]\n"
    "       orvenna-notes settings-build CFGFILE < settings.json\n"
    "       orvenna-notes lock FILE COMMAND [ARG...]\n"
    "       orvenna-notes folder\n"
    "A file left out is 2004.cal or Setting.cfg in the program folder.\n";

void Print(const tools::TJson& json)
{
    std::cout << json.dump(2, ' ', false, tools::TJson::error_handler_t::replace) << '\n';
}

// What a read of the file left unread: the swallowed failure, or the bytes after the counted
// papers; empty after a clean read.
std::string ReadFailure(const std::string& error, std::size_t unread, int papers)
{
    if (!error.empty() || unread == 0)
        return error;
    return std::to_string(unread) + " bytes after the " + std::to_string(papers) +
           " counted papers were left unread";
}

std::string LoadFailure(const TDayPaperList& notes)
{
    return ReadFailure(notes.LoadError(), notes.UnreadBytes(), notes.Count());
}

// Reports a swallowed failure on stderr. Returns the exit code so far.
int Report(const std::string& file, const std::string& failure)
{
    if (failure.empty())
        return 0;
    std::cerr << "orvenna-notes: " << file << " was read only up to a failure: " << failure
              << '\n';
    return ExitDamaged;
}

// Loads the file; reports a swallowed failure on stderr. Returns the exit code so far.
int Load(TDayPaperList& notes, const std::string& file)
{
    notes.LoadFromFile(file);
    return Report(file, LoadFailure(notes));
}

// Exactly YYYY-MM-DD, four, two and two digits.
std::optional<TDate> ParseDate(const std::string& text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i != 4 && i != 7 && (text[i] < '0' || text[i] > '9'))
            return std::nullopt;
    return store::TryEncodeDate(std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)),
                                std::stoi(text.substr(8, 2)));
}

int Dump(const std::string& file)
{
    TDayPaperList notes;
    notes.LoadFromFile(file);
    const std::string failure = LoadFailure(notes);
    Print(tools::StoreToJson(notes, failure));
    return failure.empty() ? 0 : ExitDamaged;
}

int Build(const std::string& file)
{
    const store::TFileLock lock(file, LockWait);
    TDayPaperList notes;
    // As in the program, a save over a file that does not load cleanly keeps a copy of it
    // first; the papers themselves come from the JSON alone.
    std::error_code absent;
    if (std::filesystem::exists(file, absent)) {
        notes.LoadFromFile(file);
        notes.LoadFromBytes({});
    }
    try {
        tools::JsonToStore(tools::TJson::parse(std::cin), notes);
    } catch (const std::exception& error) {
        std::cerr << "orvenna-notes: bad notes JSON, nothing written: " << error.what() << '\n';
        return ExitDamaged;
    }
    notes.SaveToFile(file);
    return 0;
}

int Due(const std::string& file, const std::string& dateText)
{
    const auto date = ParseDate(dateText);
    if (!date) {
        std::cerr << "orvenna-notes: '" << dateText << "' is not a valid date (YYYY-MM-DD)\n";
        return ExitUsage;
    }
    TDayPaperList notes([day = *date] { return day; });
    const int status = Load(notes, file);
    Print(tools::RemindersToJson(notes.TodayList()));
    return status;
}

// The answers FindNextByText gives over the loaded store, from one pass over the file that keeps
// only each paper's day and which of the texts its note holds: the papers themselves are never
// all in memory.
int Find(const std::string& file, const std::vector<std::string>& texts)
{
    std::vector<std::string> distinct = texts;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    const std::vector<store::TNoteMatcher> matchers(distinct.begin(), distinct.end());
    std::vector<TDate> days;
    std::vector<bool> holds;  // paper by paper, one entry per distinct text
    const auto scan = TDayPaperList::ScanFile(file, [&](store::TDayPaper& paper) {
        days.push_back(paper.Day);
        for (const store::TNoteMatcher& matcher : matchers)
            holds.push_back(matcher(paper));
    });
    const int status = Report(file, ReadFailure(scan.Error, scan.Unread, scan.Count));
    // The store's order: by day after a clean read, the file's after a failure.
    std::vector<std::size_t> order(days.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (scan.Error.empty())
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return TDayPaperList::CompareDays(days[a], days[b]) < 0;
        });
    store::TTextSearch search;
    for (const std::string& text : texts) {
        const auto k = static_cast<std::size_t>(
            std::lower_bound(distinct.begin(), distinct.end(), text) - distinct.begin());
        std::cout << search.Next(text, static_cast<int>(order.size()), [&](int i) {
            return holds[order[static_cast<std::size_t>(i)] * distinct.size() + k];
        }) << '\n';
    }
    return status;
}

// The papers from FROM to TO (each YYYY-MM-DD, both optional) as iCalendar.
int ExportIcs(const std::string& file, const std::vector<std::string>& range)
{
    ical::TExportOptions options;
    std::optional<TDate>* bounds[] = {&options.From, &options.To};
    for (std::size_t i = 0; i < range.size(); ++i) {
        *bounds[i] = ParseDate(range[i]);
        if (!*bounds[i]) {
            std::cerr << "orvenna-notes: '" << range[i] << "' is not a valid date (YYYY-MM-DD)\n";
            return ExitUsage;
        }
    }
    if (options.From && options.To && *options.To < *options.From) {
        std::cerr << "orvenna-notes: the range ends before it starts\n";
        return ExitUsage;
    }
    TDayPaperList notes;
    const int status = Load(notes, file);
    std::cout << ical::ExportCalendar(notes, options);
    return status;
}

// Adds the events and to-dos of an iCalendar file; a missing notes file starts empty. A damaged
// notes file or an input that is not iCalendar leaves the notes file untouched.
int ImportIcs(const std::string& file, const std::string& icsFile)
{
    std::error_code error;
    if (std::filesystem::file_size(icsFile, error) > MaxCalendarBytes && !error) {
        std::cerr << "orvenna-notes: " << icsFile
                  << " is too large for a calendar; nothing imported\n";
        return ExitDamaged;
    }
    const std::string text = store::ReadWholeFile(icsFile);
    const store::TFileLock lock(file, LockWait);
    TDayPaperList notes;
    if (std::filesystem::exists(file)) {
        notes.LoadFromFile(file);
        const std::string failure = LoadFailure(notes);
        if (!failure.empty()) {
            std::cerr << "orvenna-notes: " << file << " was read only up to a failure: " << failure
                      << "; nothing imported\n";
            return ExitDamaged;
        }
    }
    ical::TImportSummary summary;
    try {
        summary = ical::ImportCalendar(text, notes);
    } catch (const ical::ENotICalendar& failure) {
        std::cerr << "orvenna-notes: " << icsFile << ": " << failure.what()
                  << "; nothing imported\n";
        return ExitDamaged;
    }
    if (summary.Added() > 0)
        notes.SaveToFile(file);
    std::cout << summary.Text() << '\n';
    return 0;
}

// The settings record is read and written at the reference 96 pixels per inch.
int SettingsDump(const std::string& file)
{
    store::TCalSetting settings(store::DefaultPixelsPerInch);
    std::string error;
    try {
        settings.LoadFromFile(file);
    } catch (const store::EFileError&) {
        throw;  // a file that cannot be opened ends in main
    } catch (const store::EStoreError& failure) {  // every other failure: a damaged file
        error = failure.Text();
    }
    Print(tools::SettingsToJson(settings, error));
    return error.empty() ? 0 : ExitDamaged;
}

int SettingsBuild(const std::string& file)
{
    store::TCalSetting settings(store::DefaultPixelsPerInch);
    try {
        tools::JsonToSettings(tools::TJson::parse(std::cin), settings);
    } catch (const std::exception& error) {
        std::cerr << "orvenna-notes: bad settings JSON, nothing written: " << error.what() << '\n';
        return ExitDamaged;
    }
    const store::TFileLock lock(file, LockWait);
    // As in the program, a file that does not load cleanly is copied aside before it is
    // written over; one that cannot be copied is not written over.
    store::TCalSetting before(store::DefaultPixelsPerInch);
    const store::TDamagedLoad damage = store::LoadSettingsFile(before, file);
    if (damage.Damaged() && damage.Copy.empty()) {
        std::cerr << "orvenna-notes: " << file << " does not load (" << damage.Error
                  << ") and cannot be copied aside (" << damage.CopyFailure
                  << "); nothing written\n";
        return ExitFile;
    }
    if (damage.Damaged())
        std::cerr << "orvenna-notes: " << file << " did not load (" << damage.Error
                  << "); kept as " << damage.Copy << '\n';
    settings.SaveToFile(file);
    return 0;
}

// Runs the command with the file's lock held and shared with it.
int Locked(const std::string& file, const std::vector<std::string>& command)
{
    store::TFileLock lock(file, LockWait);
    lock.ShareWithChildren();
    std::vector<char*> argv;
    for (const std::string& arg : command)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::cout.flush();
    const pid_t child = ::fork();
    if (child == 0) {
        ::execvp(argv[0], argv.data());
        std::cerr << "orvenna-notes: cannot run " << command[0] << '\n';
        ::_exit(127);
    }
    int status = 0;
    pid_t waited = -1;
    if (child > 0)
        do
            waited = ::waitpid(child, &status, 0);
        while (waited < 0 && errno == EINTR);
    if (waited != child) {
        std::cerr << "orvenna-notes: cannot run " << command[0] << '\n';
        return 127;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Whether the command came without its file: the arguments it has left no room for one.
bool FileLeftOut(const std::string& command, const std::vector<std::string>& args)
{
    if (command == "dump" || command == "settings-dump")
        return args.empty();
    if (command == "due" || command == "import-ics")
        return args.size() == 1;
    if (command == "export-ics")
        return args.empty() || ParseDate(args[0]).has_value();
    return false;
}

// The program folder's file for a command that left its file out. import-ics writes there, so
// the folder is made ready first; a folder that cannot be found or made ends the run.
std::string DefaultFile(const std::string& command)
{
    const platform::TProgramFiles files = platform::FindProgramFiles();
    if (files.Folder.empty())
        throw store::EFileError("the program folder cannot be found; name the file");
    if (command == "import-ics") {
        const std::string failure = platform::PrepareProgramFiles(files);
        if (!failure.empty())
            throw store::EFileError(failure);
    }
    return (files.Folder / (command == "settings-dump" ? "Setting.cfg" : "2004.cal")).string();
}

int Run(std::vector<std::string> args)
{
    if (args.empty())
        throw std::invalid_argument("");
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "sync")
        return tools::SyncCommand(args);
    if (command == "folder" && args.empty()) {
        std::cout << platform::FindProgramFiles().Folder.string() << '\n';
        return 0;
    }
    if (FileLeftOut(command, args))
        args.insert(args.begin(), DefaultFile(command));
    args.insert(args.begin(), command);
    if (args.size() < 2)
        throw std::invalid_argument("");
    const std::string& file = args[1];
    if (command == "dump" && args.size() == 2)
        return Dump(file);
    if (command == "build" && args.size() == 2)
        return Build(file);
    if (command == "due" && args.size() == 3)
        return Due(file, args[2]);
    if (command == "find" && args.size() >= 3)
        return Find(file, {args.begin() + 2, args.end()});
    if (command == "export-ics" && args.size() <= 4)
        return ExportIcs(file, {args.begin() + 2, args.end()});
    if (command == "import-ics" && args.size() == 3)
        return ImportIcs(file, args[2]);
    if (command == "settings-dump" && args.size() == 2)
        return SettingsDump(file);
    if (command == "settings-build" && args.size() == 2)
        return SettingsBuild(file);
    if (command == "lock" && args.size() >= 3)
        return Locked(file, {args.begin() + 2, args.end()});
    throw std::invalid_argument("");
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return Run({argv + 1, argv + argc});
    } catch (const std::invalid_argument& error) {
        if (*error.what() != '\0')
            std::cerr << "orvenna-notes: " << error.what() << '\n';
        std::cerr << Usage;
        return ExitUsage;
    } catch (const store::EStoreError& error) {
        std::cerr << "orvenna-notes: " << error.Text() << '\n';
        return ExitFile;
    }
}
