#pragma once
// TSyncSchedule: when the program syncs its notes with the calendar server and fetches the
// subscribed calendars, decided on a millisecond tick (the clock's TickCount) apart from
// threads and timers, so that every rule can be checked under a clock the test moves.
//
// - A sync is due at the start, a few seconds after a change of the notes (a run of changes
//   waits for its last one, but never longer than a minute from its first), a few seconds after
//   the system resumed (the network needs a moment), when the user asks, and 15 minutes after
//   the last one ended.
// - Never two at a time: what is triggered while one runs is due once it has ended.
// - Offline (the server could not be reached) is retried after a minute, then after twice as
//   long each time up to the 15 minutes; a refusal (a wrong password) stops the syncs the
//   program starts by itself until the user asks for one, so that a server never sees a
//   stream of failed log-ins (the user asking while the refused sync ran counts as asking after
//   it: a new password typed meanwhile is tried).
// - The subscribed calendars are due at the start, after a resume, when the user asks and a
//   day after their last fetch.
//
// Ticks wrap at 2^32 ms; every interval here is far shorter than half of that.

#include "ical/calendarserver.h"

#include <cstdint>
#include <optional>

namespace orvenna::app {

enum class TSyncTrigger {
    Start,         // the program started
    NotesChanged,  // the notes changed (a save of the program's or of another program's)
    Resumed,       // the system woke from sleep
    User,          // "Sync now", or a new account
};

class TSyncSchedule final {
public:
    static constexpr std::uint32_t ChangeDelayMs = 5000;
    static constexpr std::uint32_t ChangeLimitMs = 60000;
    static constexpr std::uint32_t ResumeDelayMs = 5000;
    static constexpr std::uint32_t PeriodMs = 15 * 60 * 1000;
    static constexpr std::uint32_t OfflineRetryMs = 60 * 1000;
    static constexpr std::uint32_t FetchPeriodMs = 24 * 60 * 60 * 1000;

    void Trigger(TSyncTrigger trigger, std::uint32_t now);
    // Without an account no sync is due (the subscribed calendars still are); triggers are
    // kept for when one is set.
    void SetSyncEnabled(bool enabled) { SyncEnabled = enabled; }

    // True when a sync is due at now and none runs: it then counts as running, and what was
    // triggered before is taken as served by it.
    bool BeginSync(std::uint32_t now);
    void SyncEnded(ical::TSyncFailure failure, std::uint32_t now);
    // The same for the subscribed calendars.
    bool BeginFetch(std::uint32_t now);
    void FetchEnded(std::uint32_t now);

    // The first tick at which a Begin call may say true; none while nothing can be due.
    std::optional<std::uint32_t> NextDue() const;
    bool SyncRunning() const { return Syncing; }
    // A refusal stopped the syncs the program starts by itself.
    bool Halted() const { return FHalted; }

private:
    static bool Reached(std::uint32_t due, std::uint32_t now);
    static std::uint32_t Earlier(std::optional<std::uint32_t> a, std::uint32_t b, std::uint32_t now);

    bool SyncEnabled = true;
    bool Syncing = false;
    bool Fetching = false;
    bool FHalted = false;
    bool UserAskedMeanwhile = false;  // a User trigger came while a sync ran
    std::optional<std::uint32_t> SyncSoon;     // triggered
    bool SoonIsChange = false;                 // SyncSoon waits for more changes
    std::optional<std::uint32_t> ChangeSince;  // the first change not yet served
    std::optional<std::uint32_t> SyncPeriodic; // after the last sync
    std::uint32_t OfflineWait = OfflineRetryMs;
    std::optional<std::uint32_t> FetchDue;
};

}  // namespace orvenna::app
