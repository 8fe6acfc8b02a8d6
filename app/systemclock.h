#pragma once
// The system's local time and monotonic clock.

#include "platform/clock.h"

namespace orvenna::app {

class TSystemClock final : public platform::TClock {
public:
    // The local wall-clock time in the store's day count.
    double Now() const override;
    std::uint32_t TickCount() const override;
};

}  // namespace orvenna::app
