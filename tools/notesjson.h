#pragma once
// The notes store as JSON, the interchange form of orvenna-notes:
//   {"papers": [PAPER...], "error": null | "message"}
//   PAPER    = {"Day": number, "Note": [string...], "ReminderList": [REMINDER...]}
//   REMINDER = {"Desc": [string...], "When": number, "SomeData": int, "State": int,
//               "category": string, "Subject": string, "Before": int, "Recurrency": int,
//               "ReminderTime": number}
// Numbers print in a form that parses back to the same double; texts are UTF-8.

#include "store/daypaperlist.h"
#include "tools/jsoncheck.h"

#include <string>

namespace orvenna::tools {

TJson ReminderToJson(const store::TReminder& reminder);
TJson RemindersToJson(const store::TReminderList& reminders);
// The store's papers in store order and the message of a swallowed load failure (none if empty).
TJson StoreToJson(store::TDayPaperList& store, const std::string& error);

// Appends the papers of the JSON document to the store, in their order. Missing keys keep the
// creation values; ReminderTime and "error" are ignored. Throws EJsonShape on anything else
// (a wrong type, an integer outside 32 bits, an unknown key), having added nothing.
void JsonToStore(const TJson& document, store::TDayPaperList& store);

}  // namespace orvenna::tools
