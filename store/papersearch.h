#pragma once
// The text search over day papers: which notes hold a text, and the order in which repeated
// searches for one text walk from hit to hit.

#include "store/daypapers.h"

#include <string>
#include <string_view>

namespace orvenna::store {

// Whether a paper's note, its lines joined by CR LF, holds a text (case-sensitively).
class TNoteMatcher final {
public:
    explicit TNoteMatcher(std::string_view text);
    bool operator()(const TDayPaper& paper) const;

private:
    std::string_view Text;
    bool CrossesLines;  // the text holds a CR or LF, so it can span two lines
};

// The walk of repeated searches over papers held anywhere, numbered 0 to count - 1: the next
// hit after the previous one for the same text, the first hit for a different text, nothing for
// an empty text.
class TTextSearch final {
public:
    // The index of the next paper for which holds(index) is true; -1 when there is no further
    // one. holds: bool(int).
    template <class THolds>
    int Next(const std::string& text, int count, THolds&& holds)
    {
        if (text != LastText) {
            Index = 0;
            LastText = text;
        } else {
            ++Index;
        }
        if (text.empty())
            return -1;
        for (int i = Index; i < count; ++i) {
            if (holds(i)) {
                Index = i;
                return i;
            }
        }
        return -1;
    }

    // Index of the last hit (or where the next search starts).
    int LastIndex() const { return Index; }

private:
    std::string LastText;
    int Index = 0;
};

}  // namespace orvenna::store
