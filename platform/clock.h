#pragma once
// Time as the windows see it, injectable so that tests can fix the date and move time.

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

// The system's local time and monotonic clock.
class TSystemClock final : public TClock {
public:
    double Now() const override;
    std::uint32_t TickCount() const override;
};

}  // namespace orvenna::platform
