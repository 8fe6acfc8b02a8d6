#pragma once
// Sets the time zone of this process (TZ) for as long as it lives, so that local times and the
// tools started from a test do not depend on the machine's zone.

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace orvenna::test {

class TScopedZone final {
public:
    explicit TScopedZone(const std::string& zone)
    {
        if (const char* old = std::getenv("TZ"))
            Saved = old;
        Set(zone);
    }
    TScopedZone(const TScopedZone&) = delete;
    TScopedZone& operator=(const TScopedZone&) = delete;
    ~TScopedZone()
    {
        if (Saved)
            ::setenv("TZ", Saved->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    static void Set(const std::string& zone)
    {
        ::setenv("TZ", zone.c_str(), 1);
        ::tzset();
    }

private:
    std::optional<std::string> Saved;
};

}  // namespace orvenna::test
