#pragma once
// A clock the test sets: a fixed local date and time and a tick count that moves only when
// told, so that date rules and the paint guard can be checked without waiting.

#include "platform/clock.h"

#include <cstdint>

namespace orvenna::test {

class TFakeClock final : public platform::TClock {
public:
    // Day count from 30 December 1899, the fraction the time of day.
    double Day = 0;
    std::uint32_t Ticks = 1000;

    double Now() const override { return Day; }
    std::uint32_t TickCount() const override { return Ticks; }

    void AdvanceMs(std::uint32_t ms) { Ticks += ms; }
    void AdvanceDays(double days) { Day += days; }
};

}  // namespace orvenna::test
