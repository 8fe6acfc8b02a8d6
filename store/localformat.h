#pragma once
// The date and time conventions of the user's locale, read once by the calendar window and
// copied into the windows it opens. Plain data so that the store and the tool can use it too.

#include <array>
#include <string>

namespace orvenna::store {

struct TLocalFormat {
    // Index 0 is January / Sunday. Texts are UTF-8.
    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames{"January", "February", "March",     "April",
                                               "May",     "June",     "July",      "August",
                                               "September", "October", "November", "December"};
    std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    // Patterns in the notation of the locale data (d, dd, M, MM, MMM, yy, yyyy, h, hh, H, mm,
    // ss, AP), as the desktop's locale gives them.
    std::string ShortDateFormat = "M/d/yy";
    std::string LongDateFormat = "dddd, MMMM d, yyyy";
    std::string ShortTimeFormat = "h:mm AP";
    std::string LongTimeFormat = "h:mm:ss AP";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    // The weekday of the month view's first column: 0 = Sunday .. 6 = Saturday.
    int FirstWeekday = 0;
    // How reminder lists and dialogs show a time of day: empty for the designed
    // "hh:mm AM/PM", otherwise a pattern as above without seconds.
    std::string ReminderTimeFormat;
};

}  // namespace orvenna::store
