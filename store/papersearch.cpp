#include "store/papersearch.h"

#include <algorithm>

namespace orvenna::store {

TNoteMatcher::TNoteMatcher(std::string_view text)
    : Text(text), CrossesLines(text.find_first_of("\r\n") != std::string_view::npos)
{
}

bool TNoteMatcher::operator()(const TDayPaper& paper) const
{
    // A text without CR or LF cannot cross a line end, so the lines are searched one by one
    // without joining them.
    if (!CrossesLines) {
        return std::any_of(paper.Note.begin(), paper.Note.end(), [&](const std::string& line) {
            return line.size() >= Text.size() && line.find(Text) != std::string::npos;
        });
    }
    std::string joined;
    for (const std::string& line : paper.Note)
        joined.append(line).append("\r\n");
    return joined.find(Text) != std::string::npos;
}

}  // namespace orvenna::store
