#pragma once
// The monitor side file "Monitor.dat" of the program folder: the monitor the user last put the
// calendar on, by its output name, and the place there, so that the calendar goes back to it
// when that monitor comes back (a laptop docked again, the next log-in with it). "Setting.cfg"
// keeps only the window's last position, in its own format.
//
// The file is plain text, one record a line, LF ends:
//
//     Orvenna monitor 1
//     Output=DP-1
//     Screen=1920,0
//     Place=2300,540
//     Away=1624,836
//     End
//
// Screen is the monitor's top-left corner and Place the calendar's, in screen coordinates, when
// the user put it there. Away is present while the calendar is not there: where the program put
// it when the monitor went. Lines of an unknown key are skipped; anything else that does not
// read, and a file without its "End" line, counts as damaged as a whole.

#include <optional>
#include <string>
#include <string_view>

namespace orvenna::store {

inline constexpr const char* MonitorPlaceFileName = "Monitor.dat";
inline constexpr int MonitorPlaceVersion = 1;

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TMonitorPlace {
    std::string Output;   // the output name of the monitor; never empty in a stored record
    TPoint Screen;        // that monitor's top-left corner then
    TPoint Place;         // the calendar's top-left corner then
    std::optional<TPoint> Away;  // where the program put the calendar while the monitor is gone
    bool operator==(const TMonitorPlace&) const = default;
};

std::string MonitorPlaceToText(const TMonitorPlace& place);
// Reads the text into place. On an unknown version or a damaged line returns what is wrong
// ("unknown version ...", "line 3: ...") and leaves place as it was; empty on success.
std::string MonitorPlaceFromText(std::string_view text, TMonitorPlace& place);

// Writes the file crash-safely (filesave.h); throws as SaveFileAtomically does.
void SaveMonitorPlace(const std::string& fileName, const TMonitorPlace& place);
// The record in the file; none when the file is missing, cannot be read or does not read.
std::optional<TMonitorPlace> LoadMonitorPlace(const std::string& fileName);

}  // namespace orvenna::store
