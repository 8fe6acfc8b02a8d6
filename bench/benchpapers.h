#pragma once
// The notes store the benchmarks share: 100,000 day papers of three note lines and two
// reminders each, with texts stored as String (ASCII), Utf8String and WString.

#include "store/daypaperlist.h"

#include <string>

namespace orvenna::bench {

inline constexpr int PaperCount = 100000;
inline constexpr store::TDate FirstDay = 36000;  // 24 July 1998
inline constexpr store::TDate Today = FirstDay + PaperCount / 2;

inline void FillPapers(store::TDayPaperList& papers)
{
    using namespace orvenna::store;
    for (int i = 0; i < PaperCount; ++i) {
        TDayPaper& paper = papers.AddDayPaper();
        paper.Day = FirstDay + i;
        const std::string n = std::to_string(i);
        paper.Note = {"Meeting with the team about item " + n, "Caf\xC3\xA9 au lait for Zo\xC3\xAB " + n,
                      "\xCE\x97\xCE\xBB\xCE\xAF\xCE\xB1\xCF\x82 " + n};
        TReminder& first = paper.ReminderList.AddReminder();
        first.Desc = {"Bring the papers", "Call back " + n};
        first.When = paper.Day + 0.375;
        first.category = "Calls";
        first.Subject = "Dentist " + n;
        first.Before = i % 7;
        first.Recurrency = i % 5;
        TReminder& second = paper.ReminderList.AddReminder();
        second.When = paper.Day + 0.75;
        second.category = "Meeting";
        second.Subject = "\xCE\x9A\xCE\xB1\xCF\x86\xCE\xAD\xCF\x82";
        second.Before = lt1Hour;
    }
}

}  // namespace orvenna::bench
