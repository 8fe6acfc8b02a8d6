#pragma once
// The day-paper store of the notes file: every day paper in memory, today's due reminders, the
// text search, and loading and saving the file.
//
// Notes file: a signed 32-bit little-endian count N, then N component-stream objects of class
// TDayPaper, each behind a resource header named "TDayPaper". Nothing follows the last one.

#include "store/daypapers.h"
#include "store/papersearch.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvenna::store {

class TNotesInput;

// True when the reminder falls due on that whole day by its date and recurrence, as the today
// list decides; its time of day does not count.
bool IsDueOn(const TReminder& reminder, TDate day);

class TDayPaperList final {
public:
    // Gives today's local date at 00:00 as a whole day number.
    using TTodaySource = std::function<TDate()>;

    explicit TDayPaperList(TTodaySource today = LocalToday);
    TDayPaperList(const TDayPaperList&) = delete;
    TDayPaperList& operator=(const TDayPaperList&) = delete;

    // Appends an empty paper and returns it; the caller sets its Day (a whole date). Callers
    // first look for the day with FindDayPaper, so each day has at most one paper.
    TDayPaper& AddDayPaper();
    int Count() const { return static_cast<int>(Papers.size()); }
    // Store order; throws EListError "List index out of bounds (<index>)".
    TDayPaper& GetDayPaper(int index);
    // The first paper whose Day equals the value exactly; none otherwise.
    TDayPaper* FindDayPaper(TDate day);

    // The next paper after the previous hit whose note (lines joined by CR LF) contains the
    // text, case-sensitively; none when there is no further one. A different text starts again
    // from the first paper; an empty text finds nothing.
    TDayPaper* FindNextByText(const std::string& text);
    // Index of the last hit (or where the next search starts).
    int LastSearchIndex() const { return Search.LastIndex(); }

    // Rebuilds TodayList with copies of the reminders due on today's date and returns it.
    TReminderList& BuildTodayList();
    // The same rules for a given whole day.
    TReminderList& BuildTodayList(TDate today);
    // Copies of the reminders due today; changing them never reaches the papers. Built here
    // on the first ask after a load, so that a load for a search or a listing spends nothing
    // on it.
    TReminderList& TodayList();

    // Replaces the papers by the file's, sorted by day, and leaves the today list to be rebuilt
    // on its next ask. Throws
    // EFileError "Cannot open file ..." when the file cannot be opened, leaving the store as it
    // was. Any failure inside the file is swallowed: the papers read before it stay, in file
    // order, the today list is not rebuilt, LoadError() tells the failure, and the next save
    // over this file first keeps a copy of the damaged file (DamagedCopy()).
    void LoadFromFile(const std::string& fileName);
    // Writes every paper in store order, crash-safely (filesave.h), and rebuilds the today
    // list on the way. Throws EFileError "Cannot create file ..." or EWriteError "Stream write error"; the
    // old file and the store stay as they were. Each piece of the file's bytes is also handed
    // to written, in order, as it is written (to take a digest of the file on the way).
    void SaveToFile(const std::string& fileName,
                    const std::function<void(std::string_view)>& written = {});

    // Takes up notes file bytes that another program wrote while this store is in use. Bytes
    // that read whole replace the papers (a count smaller than what they hold is taken as
    // LoadFromFile takes it), the today list is rebuilt without the entries the alert check
    // has already taken from it today, and an empty text is returned. Bytes that
    // fail to read leave the papers as they were and return the reader's message. Either way the
    // next save over fileName first keeps a copy of bytes it could not take whole.
    std::string ReloadFromBytes(std::string_view bytes, const std::string& fileName);

    // As LoadFromFile, from the bytes of the file read beforehand (by a caller that keeps them).
    void LoadFromFileBytes(std::string_view bytes, const std::string& fileName);
    // Keeps the damaged file the last load or reload met beside it now (SaveDamagedCopy), rather
    // than at the next save over it, and returns the copy's name; empty when nothing is waiting
    // for a copy. Throws like SaveNewFile; the bytes then still wait for the next save.
    std::string KeepDamagedCopy();

    // The reader's message of the failure the last load swallowed; empty after a clean load.
    const std::string& LoadError() const { return LastLoadError; }
    // Bytes of the file the last LoadFromFile (or LoadFromBytes) left unread: from the start of
    // the paper that failed, or past the counted papers when the count is smaller than what the
    // file holds. Either makes the next save over the file keep a copy of it first.
    std::size_t UnreadBytes() const { return Unread; }
    // The copy of a damaged file made by the last save over it; empty when none was made.
    const std::string& DamagedCopy() const { return DamagedCopyName; }

    // The notes file's bytes of the papers in store order.
    std::string SaveToBytes() const;
    // Reads papers from notes file bytes into the store as LoadFromFile does; returns the
    // swallowed failure's message, empty when the bytes were read whole.
    std::string LoadFromBytes(std::string_view bytes);

    // LoadFromFile reads the file in blocks of this many bytes. Tests use small blocks, so that
    // objects and values cross from one block into the next.
    void SetReadBlockSize(std::size_t bytes) { ReadBlockSize = bytes; }
    static constexpr std::size_t DefaultBlockSize = 256 * 1024;

    // 0 when the whole-day parts of the days are equal, else -1 or +1 by Day.
    static int CompareDayPapers(const TDayPaper& a, const TDayPaper& b) { return CompareDays(a.Day, b.Day); }
    // The same order of two Day values: a day that is not a number sorts last.
    static int CompareDays(TDate a, TDate b);

    // What a pass of ScanFile read.
    struct TScanResult {
        std::string Error;        // as LoadError() after LoadFromFile of the file
        std::size_t Unread = 0;   // as UnreadBytes()
        int Count = 0;            // papers visited
    };
    // Reads the papers of a notes file one at a time, in file order, handing each to visit,
    // which may take what it wants from it; no paper is kept, so a pass over a file of any
    // size needs the memory of one paper. LoadFromFile of the same file would hold the same
    // papers, sorted by CompareDayPapers when Error is empty and in file order otherwise.
    // Throws EFileError as LoadFromFile does.
    static TScanResult ScanFile(const std::string& fileName, const std::function<void(TDayPaper&)>& visit,
                                std::size_t blockSize = DefaultBlockSize);

private:
    void LoadPapers(TNotesInput& input);
    // Writes the count and the papers in store order to bytes; flush(bytes) follows each paper.
    template <class TFlush>
    void WritePapers(std::string& bytes, TFlush&& flush) const;
    // Removes from list the entries that were due before (in dueBefore) but had left the list
    // (not in left), matched by content.
    static void DropTaken(TReminderList& list, const TReminderList& left,
                          const TReminderList& dueBefore);

    std::vector<std::unique_ptr<TDayPaper>> Papers;
    // Copies of the reminders due on one day, gathered paper by paper in store order.
    class TDueCollector final {
    public:
        explicit TDueCollector(TDate today);
        void Add(const TDayPaper& paper);
        std::unique_ptr<TDayPaper> Take() { return std::move(Holder); }

    private:
        std::unique_ptr<TDayPaper> Holder;
        TDate Today;
        std::optional<TDateParts> TodayParts;
    };

    std::unique_ptr<TDayPaper> TodayHolder;  // holds the copies of TodayList
    TDate ListDay = 0;                        // the day TodayList was last built for
    bool TodayStale = false;                  // papers loaded since TodayList was built
    TTodaySource Today;
    TTextSearch Search;
    std::string LastLoadError;
    std::size_t ReadBlockSize = DefaultBlockSize;
    std::size_t Unread = 0;
    // The bytes of a file whose load stopped at a failure, until they are kept in a copy.
    std::string DamagedFileName;
    std::string DamagedBytes;
    std::string DamagedCopyName;
};

// The papers of a store by day, for a caller that looks up and adds many days in a row (an
// import): each look-up takes constant time instead of a walk over the store. It answers as
// FindDayPaper would as long as the store changes only through it: it is built from the papers
// as they are and knows nothing of papers added, removed or given another day elsewhere.
class TDayPaperIndex final {
public:
    explicit TDayPaperIndex(TDayPaperList& papers);

    // The first paper in store order whose Day equals the value exactly; none otherwise.
    TDayPaper* Find(TDate day) const;
    // That paper, or a new one of that day appended to the store.
    TDayPaper& FindOrAdd(TDate day);

private:
    TDayPaperList& Papers;
    std::unordered_map<TDate, TDayPaper*> ByDay;  // 0 and -0 are one key; no day is NaN
};

}  // namespace orvenna::store
