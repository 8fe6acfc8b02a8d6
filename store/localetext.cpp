#include "store/localetext.h"

#include "store/errors.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <vector>

namespace orvenna::store {
namespace {

bool IsLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string Padded(int value, int width)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

bool HasAmPm(std::string_view pattern)
{
    bool quoted = false;
    for (char c : pattern) {
        if (c == '\'')
            quoted = !quoted;
        else if (!quoted && (c == 'A' || c == 'a'))
            return true;
    }
    return false;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

struct TParts {
    TDateParts Date;
    TTimeParts Time;
};

// The text of one run of a pattern letter ("dd", "MMM", "AP").
std::string FormatField(const TLocalFormat& format, char letter, std::size_t run, const TParts& v,
                        bool twelveHour)
{
    const int weekday = DayOfWeek(EncodeDate(v.Date.Year, v.Date.Month, v.Date.Day));
    const int hour12 = v.Time.Hour % 12 == 0 ? 12 : v.Time.Hour % 12;
    switch (letter) {
    case 'd':
        if (run >= 4)
            return format.LongDayNames[weekday - 1];
        if (run == 3)
            return format.ShortDayNames[weekday - 1];
        return Padded(v.Date.Day, static_cast<int>(run));
    case 'M':
        if (run >= 4)
            return format.LongMonthNames[v.Date.Month - 1];
        if (run == 3)
            return format.ShortMonthNames[v.Date.Month - 1];
        return Padded(v.Date.Month, static_cast<int>(run));
    case 'y':
        return run >= 4 ? Padded(v.Date.Year, 4) : Padded(v.Date.Year % 100, 2);
    case 'h':
        return Padded(twelveHour ? hour12 : v.Time.Hour, static_cast<int>(run));
    case 'H':
        return Padded(v.Time.Hour, static_cast<int>(run));
    case 'm':
        return Padded(v.Time.Minute, static_cast<int>(run));
    case 's':
        return Padded(v.Time.Second, static_cast<int>(run));
    case 'z':
        return run >= 3 ? Padded(v.Time.MilliSecond, 3) : std::to_string(v.Time.MilliSecond);
    default:
        break;
    }
    return {};
}

// How many characters a field of that letter takes at most; the rest of a longer run starts
// a new field.
std::size_t MaxRun(char letter)
{
    switch (letter) {
    case 'd':
    case 'M':
    case 'y':
        return 4;
    case 'z':
        return 3;
    default:
        return 2;
    }
}

// Reading ------------------------------------------------------------------------------------

class TScanner {
public:
    explicit TScanner(std::string_view text) : Text(text) {}

    void SkipBlanks()
    {
        while (Pos < Text.size() && Text[Pos] == ' ')
            ++Pos;
    }
    bool AtEnd()
    {
        SkipBlanks();
        return Pos >= Text.size();
    }
    // Digits after optional blanks; none when there is no digit. Counts the digits read.
    std::optional<int> Number(int* digits = nullptr)
    {
        SkipBlanks();
        int value = 0;
        int count = 0;
        while (Pos < Text.size() && IsDigit(Text[Pos])) {
            if (value < 100000)
                value = value * 10 + (Text[Pos] - '0');
            ++Pos;
            ++count;
        }
        if (digits != nullptr)
            *digits = count;
        if (count == 0)
            return std::nullopt;
        return value;
    }
    // One of the given characters after optional blanks.
    bool Char(char a, char b)
    {
        SkipBlanks();
        if (Pos < Text.size() && (Text[Pos] == a || Text[Pos] == b)) {
            ++Pos;
            return true;
        }
        return false;
    }
    // A word after optional blanks, in any case.
    bool Word(std::string_view word)
    {
        SkipBlanks();
        if (word.empty() || Text.size() - Pos < word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(Text[Pos + i])) !=
                std::tolower(static_cast<unsigned char>(word[i])))
                return false;
        }
        Pos += word.size();
        return true;
    }

private:
    std::string_view Text;
    std::size_t Pos = 0;
};

// -1 none, 0 AM, 12 PM.
int ScanHalfOfDay(const TLocalFormat& format, TScanner& scan)
{
    if (scan.Word(format.TimeAMString) || scan.Word("AM"))
        return 0;
    if (scan.Word(format.TimePMString) || scan.Word("PM"))
        return 12;
    return -1;
}

std::optional<TDateTime> ScanTime(const TLocalFormat& format, TScanner& scan)
{
    const char separator = TimeSeparator(format);
    int half = ScanHalfOfDay(format, scan);
    auto hour = scan.Number();
    if (!hour)
        return std::nullopt;
    int minute = 0;
    int second = 0;
    if (scan.Char(separator, ':')) {
        const auto m = scan.Number();
        if (!m)
            return std::nullopt;
        minute = *m;
        if (scan.Char(separator, ':')) {
            const auto s = scan.Number();
            if (!s)
                return std::nullopt;
            second = *s;
        }
    }
    if (half < 0)
        half = ScanHalfOfDay(format, scan);
    if (half >= 0) {
        if (*hour < 1 || *hour > 12)
            return std::nullopt;
        *hour = *hour % 12 + half;
    }
    if (*hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return EncodeTime(*hour, minute, second, 0);
}

// Positions of day, month and year in the short date format: "dmy", "mdy" or "ymd".
std::string DateOrder(const TLocalFormat& format)
{
    std::string order;
    bool quoted = false;
    for (char c : format.ShortDateFormat) {
        if (c == '\'') {
            quoted = !quoted;
            continue;
        }
        const char key = c == 'd' ? 'd' : c == 'M' ? 'm' : c == 'y' ? 'y' : 0;
        if (!quoted && key != 0 && order.find(key) == std::string::npos)
            order += key;
    }
    return order.size() == 3 ? order : "mdy";
}

int CurrentYearOr(int currentYear)
{
    if (currentYear != 0)
        return currentYear;
    return DecodeDate(LocalToday())->Year;
}

std::optional<TDate> ScanDate(const TLocalFormat& format, TScanner& scan, int currentYear)
{
    const char separator = DateSeparator(format);
    int numbers[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int count = 0;
    for (; count < 3; ++count) {
        if (count > 0 && !scan.Char(separator, separator))
            break;
        const auto n = scan.Number(&digits[count]);
        if (!n)
            return std::nullopt;
        numbers[count] = *n;
    }
    if (count < 2)
        return std::nullopt;

    const std::string order = DateOrder(format);
    int year = CurrentYearOr(currentYear);
    int yearDigits = 4;
    int month = 0;
    int day = 0;
    if (count == 2) {
        // Day and month only, in the order they have in the pattern.
        const bool dayFirst = order.find('d') < order.find('m');
        day = numbers[dayFirst ? 0 : 1];
        month = numbers[dayFirst ? 1 : 0];
    } else {
        for (int i = 0; i < 3; ++i) {
            if (order[i] == 'd')
                day = numbers[i];
            else if (order[i] == 'm')
                month = numbers[i];
            else {
                year = numbers[i];
                yearDigits = digits[i];
            }
        }
    }
    if (yearDigits <= 2) {
        const int now = CurrentYearOr(currentYear);
        const int earliest = now - 50;
        year += earliest / 100 * 100;
        if (year < earliest)
            year += 100;
    }
    return TryEncodeDate(year, month, day);
}

[[noreturn]] void Refuse(std::string_view text, const char* what)
{
    throw EConvertError("'" + std::string(text) + "' is not a valid " + what);
}

std::optional<std::int64_t> ScanInteger(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    int base = 10;
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        int digit = 0;
        if (IsDigit(c))
            digit = c - '0';
        else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
            digit = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > 0x80000000LL)
            return std::nullopt;
    }
    return negative ? -value : value;
}

}  // namespace

namespace {

// twelveHour: h and hh count 1 to 12, as in a pattern with AP.
std::string FormatPattern(const TLocalFormat& format, std::string_view pattern, TDateTime value,
                          bool twelveHour)
{
    const auto date = DecodeDate(value);
    const auto time = DecodeTime(value);
    if (!date || !time)
        return {};
    const TParts parts{*date, *time};
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '\'') {
            // Quoted literal; two quotes in a row stand for one.
            std::size_t j = i + 1;
            if (j < pattern.size() && pattern[j] == '\'') {
                out += '\'';
                i = j + 1;
                continue;
            }
            for (; j < pattern.size(); ++j) {
                if (pattern[j] == '\'') {
                    if (j + 1 < pattern.size() && pattern[j + 1] == '\'') {
                        out += '\'';
                        ++j;
                        continue;
                    }
                    break;
                }
                out += pattern[j];
            }
            i = j + 1;
            continue;
        }
        if (c == 'A' || c == 'a') {
            const bool pm = parts.Time.Hour >= 12;
            std::string text = pm ? format.TimePMString : format.TimeAMString;
            out += c == 'a' ? Lower(text) : text;
            i += i + 1 < pattern.size() && (pattern[i + 1] == 'P' || pattern[i + 1] == 'p') ? 2 : 1;
            continue;
        }
        if (c == 't') {
            if (!out.empty() && out.back() == ' ')
                out.pop_back();
            ++i;
            continue;
        }
        if (std::string_view("dMyhHmsz").find(c) != std::string_view::npos) {
            std::size_t run = 1;
            while (i + run < pattern.size() && pattern[i + run] == c && run < MaxRun(c))
                ++run;
            out += FormatField(format, c, run, parts, twelveHour);
            i += run;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

}  // namespace

std::string FormatDateTime(const TLocalFormat& format, std::string_view pattern, TDateTime value)
{
    return FormatPattern(format, pattern, value, HasAmPm(pattern));
}

std::string FormatShortDate(const TLocalFormat& format, TDateTime value)
{
    return FormatDateTime(format, format.ShortDateFormat, value);
}

std::string FormatLongTime(const TLocalFormat& format, TDateTime value)
{
    return FormatDateTime(format, format.LongTimeFormat, value);
}

std::string FormatAmPmTime(const TLocalFormat& format, TDateTime value)
{
    const auto time = DecodeTime(value);
    if (!time)
        return {};
    const int hour12 = time->Hour % 12 == 0 ? 12 : time->Hour % 12;
    return Padded(hour12, 2) + TimeSeparator(format) + Padded(time->Minute, 2) +
           (time->Hour >= 12 ? " PM" : " AM");
}

std::string FormatReminderTime(const TLocalFormat& format, TDateTime value)
{
    if (format.ReminderTimeFormat.empty())
        return FormatAmPmTime(format, value);
    return FormatDateTime(format, format.ReminderTimeFormat, value);
}

bool ReminderTimeIsTwelveHour(const TLocalFormat& format)
{
    return format.ReminderTimeFormat.empty() || HasAmPm(format.ReminderTimeFormat);
}

std::string FormatReminderClock(const TLocalFormat& format, TDateTime value)
{
    if (format.ReminderTimeFormat.empty()) {
        std::string time = FormatAmPmTime(format, value);
        return time.substr(0, time.size() >= 3 ? time.size() - 3 : 0);
    }
    const std::string& pattern = format.ReminderTimeFormat;
    return FormatPattern(format, WithoutFields(pattern, "Aa"), value, HasAmPm(pattern));
}

std::string WithoutFields(std::string_view pattern, std::string_view letters)
{
    struct TToken {
        std::string_view Text;
        char Field = 0;  // the field's letter; 0 for literal text
        bool Quoted = false;
    };
    std::vector<TToken> tokens;
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        std::size_t j = i + 1;
        if (c == '\'') {
            while (j < pattern.size() && pattern[j] != '\'')
                ++j;
            j = std::min(j + 1, pattern.size());
            tokens.push_back({pattern.substr(i, j - i), 0, true});
        } else if (IsLetter(c)) {
            while (j < pattern.size() && (pattern[j] == c || ((c == 'A' || c == 'a') &&
                                                              (pattern[j] == 'P' || pattern[j] == 'p'))))
                ++j;
            tokens.push_back({pattern.substr(i, j - i), c});
        } else {
            while (j < pattern.size() && !IsLetter(pattern[j]) && pattern[j] != '\'')
                ++j;
            tokens.push_back({pattern.substr(i, j - i)});
        }
        i = j;
    }
    const auto joiner = [&](std::size_t k) {
        return k < tokens.size() && tokens[k].Field == 0 && !tokens[k].Quoted;
    };
    std::vector<bool> dropped(tokens.size(), false);
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k].Field == 0 || letters.find(tokens[k].Field) == std::string_view::npos)
            continue;
        dropped[k] = true;
        if (k > 0 && joiner(k - 1) && !dropped[k - 1])
            dropped[k - 1] = true;
        else if (joiner(k + 1))
            dropped[k + 1] = true;
    }
    std::string out;
    for (std::size_t k = 0; k < tokens.size(); ++k)
        if (!dropped[k])
            out += tokens[k].Text;
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string WeekdayLabel(const TLocalFormat& format, int weekday)
{
    const std::string& name = format.ShortDayNames[static_cast<std::size_t>(((weekday % 7) + 7) % 7)];
    std::string label;
    int characters = 0;
    for (std::size_t i = 0; i < name.size() && characters < 2;) {
        // A UTF-8 sequence is one character: its lead byte and the continuation bytes after it.
        std::size_t end = i + 1;
        while (end < name.size() && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
            ++end;
        if (name[i] != '.') {
            label.append(name, i, end - i);
            ++characters;
        }
        i = end;
    }
    if (!label.empty() && label[0] >= 'a' && label[0] <= 'z')
        label[0] = static_cast<char>(label[0] - 'a' + 'A');
    return label;
}

char TimeSeparator(const TLocalFormat& format)
{
    const std::string& pattern = format.ShortTimeFormat;
    const auto hour = pattern.find_first_of("hH");
    if (hour == std::string::npos)
        return ':';
    const auto after = pattern.find_first_not_of("hH", hour);
    if (after == std::string::npos || IsLetter(pattern[after]) || pattern[after] == '\'' ||
        pattern[after] == ' ')
        return ':';
    return pattern[after];
}

char DateSeparator(const TLocalFormat& format)
{
    for (char c : format.ShortDateFormat) {
        if (!IsLetter(c) && !IsDigit(c) && c != '\'' && c != ' ')
            return c;
    }
    return '/';
}

TDateTime ReadTime(const TLocalFormat& format, std::string_view text)
{
    TScanner scan(text);
    const auto time = ScanTime(format, scan);
    if (!time || !scan.AtEnd())
        Refuse(text, "time");
    return *time;
}

TDate ReadDate(const TLocalFormat& format, std::string_view text, int currentYear)
{
    TScanner scan(text);
    const auto date = ScanDate(format, scan, currentYear);
    if (!date || !scan.AtEnd())
        Refuse(text, "date");
    return *date;
}

TDateTime ReadDateTime(const TLocalFormat& format, std::string_view text, int currentYear)
{
    TScanner scan(text);
    const auto date = ScanDate(format, scan, currentYear);
    if (!date)
        Refuse(text, "date and time");
    if (scan.AtEnd())
        return *date;
    const auto time = ScanTime(format, scan);
    if (!time || !scan.AtEnd())
        Refuse(text, "date and time");
    return *date >= 0 ? *date + *time : *date - *time;
}

TDateTime ReadTimeOnDay(const TLocalFormat& format, TDate day, std::string_view timeText)
{
    TScanner scan(timeText);
    const auto time = ScanTime(format, scan);
    if (!time || !scan.AtEnd())
        Refuse(FormatShortDate(format, day) + " " + std::string(timeText), "date and time");
    return day >= 0 ? day + *time : day - *time;
}

std::int32_t ReadInteger(std::string_view text)
{
    const auto value = ScanInteger(text);
    if (!value || *value > 0x7FFFFFFF || *value < -0x80000000LL)
        Refuse(text, "integer value");
    return static_cast<std::int32_t>(*value);
}

}  // namespace orvenna::store
