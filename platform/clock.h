#pragma once
// Time as the windows see it, injectable so that tests can fix the date and move time. The
// system's clock is app::TSystemClock (app/systemclock.h): the day count is the store's.

#include <cstdint>

namespace orvenna::platform {

class TClock {
public:
    virtual ~TClock() = default;
    // Local date and time as a day count from 30 December 1899, the fraction the time of day.
    virtual double Now() const = 0;
    // Milliseconds since some fixed moment, growing monotonically.
    virtual std::uint32_t TickCount() const = 0;
};

}  // namespace orvenna::platform
