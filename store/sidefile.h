#pragma once
// The plain-text layout the program's side files share (the alert choices, the calendar's
// regional choices): a header line "Orvenna <kind> <version>", one "Key=value" line a record,
// and a closing "End" line, LF ends (a CR before the LF is read too). Blank lines are skipped.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvenna::store {

// The lines of a side file without their ends (LF, or CR LF); a last line without its end is
// kept, one empty line stands for each blank one.
std::vector<std::string_view> SideFileLines(std::string_view text);

// The header line, without its line end: "Orvenna alerts 1".
std::string SideFileHeader(std::string_view kind, int version);

// Reads the lines between the header and "End", handing each key and value to line, which
// answers false for a value it cannot take. Returns what is wrong ("not an <kind> file",
// "unknown version ...", "the file ends early", "line 3 does not read: ..."), empty when the
// whole text read. A file cut short lacks its "End" line and counts as damaged.
std::string ReadSideFile(std::string_view text, std::string_view kind, int version,
                         const std::function<bool(std::string_view key, std::string_view value)>& line);

// Loads a side file by name (the sync account's too): a missing file reads as nothing (empty
// answer, read never called); one that cannot be read returns the reason.
std::string LoadSideFile(const std::string& fileName,
                         const std::function<std::string(std::string_view text)>& read);

// A field of a tab-separated side-file line: backslash, tab, LF and CR written as \\, \t, \n
// and \r, so a field never holds a raw tab or line end.
std::string EscapedField(std::string_view text);

// The field's text again; none when an escape is not one of these four.
std::optional<std::string> UnescapedField(std::string_view text);

}  // namespace orvenna::store
