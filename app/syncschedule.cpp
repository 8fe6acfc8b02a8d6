#include "app/syncschedule.h"

#include <algorithm>

namespace orvenna::app {

bool TSyncSchedule::Reached(std::uint32_t due, std::uint32_t now)
{
    return static_cast<std::int32_t>(now - due) >= 0;
}

std::uint32_t TSyncSchedule::Earlier(std::optional<std::uint32_t> a, std::uint32_t b,
                                     std::uint32_t now)
{
    if (!a)
        return b;
    return static_cast<std::int32_t>(*a - now) <= static_cast<std::int32_t>(b - now) ? *a : b;
}

void TSyncSchedule::Trigger(TSyncTrigger trigger, std::uint32_t now)
{
    switch (trigger) {
    case TSyncTrigger::Start:
    case TSyncTrigger::User:
        FHalted = FHalted && trigger != TSyncTrigger::User;
        UserAskedMeanwhile = UserAskedMeanwhile || (Syncing && trigger == TSyncTrigger::User);
        SyncSoon = now;
        SoonIsChange = false;
        FetchDue = now;
        break;
    case TSyncTrigger::Resumed:
        SyncSoon = Earlier(SyncSoon, now + ResumeDelayMs, now);
        SoonIsChange = false;
        FetchDue = Earlier(FetchDue, now + ResumeDelayMs, now);
        break;
    case TSyncTrigger::NotesChanged: {
        if (!ChangeSince)
            ChangeSince = now;
        const std::uint32_t limit = *ChangeSince + ChangeLimitMs;
        const std::uint32_t settled = Reached(limit, now + ChangeDelayMs) ? limit : now + ChangeDelayMs;
        // A later change moves its own wait on; a start or a resume waiting sooner stays.
        SyncSoon = SoonIsChange || !SyncSoon ? settled : Earlier(SyncSoon, settled, now);
        SoonIsChange = SyncSoon == settled;
        break;
    }
    }
}

bool TSyncSchedule::BeginSync(std::uint32_t now)
{
    if (Syncing || FHalted || !SyncEnabled)
        return false;
    const bool due = (SyncSoon && Reached(*SyncSoon, now)) ||
                     (SyncPeriodic && Reached(*SyncPeriodic, now));
    if (!due)
        return false;
    Syncing = true;
    UserAskedMeanwhile = false;
    SyncSoon.reset();
    SoonIsChange = false;
    ChangeSince.reset();
    SyncPeriodic.reset();
    return true;
}

void TSyncSchedule::SyncEnded(ical::TSyncFailure failure, std::uint32_t now)
{
    Syncing = false;
    if (failure == ical::TSyncFailure::Unreachable) {
        SyncPeriodic = now + OfflineWait;
        OfflineWait = std::min(OfflineWait * 2, PeriodMs);
        return;
    }
    OfflineWait = OfflineRetryMs;
    SyncPeriodic = now + PeriodMs;
    if (failure == ical::TSyncFailure::Refused)
        FHalted = !UserAskedMeanwhile;
    UserAskedMeanwhile = false;
}

bool TSyncSchedule::BeginFetch(std::uint32_t now)
{
    if (Fetching || !FetchDue || !Reached(*FetchDue, now))
        return false;
    Fetching = true;
    FetchDue.reset();
    return true;
}

void TSyncSchedule::FetchEnded(std::uint32_t now)
{
    Fetching = false;
    if (!FetchDue)
        FetchDue = now + FetchPeriodMs;
}

std::optional<std::uint32_t> TSyncSchedule::NextDue() const
{
    std::optional<std::uint32_t> next;
    // Ticks of pending moments compared among themselves: the earliest of them after the
    // first one taken as the reference.
    const auto consider = [&next](std::optional<std::uint32_t> at) {
        if (at)
            next = next ? Earlier(next, *at, *next) : *at;
    };
    if (!Syncing && !FHalted && SyncEnabled) {
        consider(SyncSoon);
        consider(SyncPeriodic);
    }
    if (!Fetching)
        consider(FetchDue);
    return next;
}

}  // namespace orvenna::app
