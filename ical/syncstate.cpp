#include "ical/syncstate.h"

#include "store/errors.h"
#include "store/filesave.h"
#include "store/sidefile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <sstream>

namespace orvenna::ical {
namespace {

constexpr const char* Header = "orvenna-sync 1";

class TFnv final {
public:
    void Add(std::string_view text)
    {
        for (const unsigned char c : text)
            Hash = (Hash ^ c) * 1099511628211ull;
        Add(std::int64_t(text.size()));
    }
    void Add(std::int64_t value)
    {
        for (int i = 0; i < 8; ++i)
            Hash = (Hash ^ static_cast<unsigned char>(value >> (8 * i))) * 1099511628211ull;
    }
    std::uint64_t Hash = 14695981039346656037ull;
};

std::int64_t Seconds(double days)
{
    return std::isfinite(days) && std::fabs(days) < 1e9 ? std::llround(days * 86400.0) : -1;
}

// The fields of a line, unescaped; none when an escape is not one of ours.
std::optional<std::vector<std::string>> Fields(std::string_view line)
{
    std::vector<std::string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(line.find('\t', start), line.size());
        auto field = store::UnescapedField(line.substr(start, end - start));
        if (!field)
            return std::nullopt;
        fields.push_back(std::move(*field));
        if (end == line.size())
            return fields;
        start = end + 1;
    }
}

template <class T> std::optional<T> Number(const std::string& text, int base = 10)
{
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::string Hex(std::uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// An item line: "note UID DAY DAYS LINES DIGEST SERVERDIGEST" or "reminder UID DAY DIGEST
// SERVERDIGEST".
std::optional<TSyncEntry> EntryOf(const std::vector<std::string>& f)
{
    TSyncEntry entry;
    entry.IsNote = f[0] == "note";
    if (f.size() != (entry.IsNote ? 7u : 5u))
        return std::nullopt;
    entry.Uid = f[1];
    const auto day = Number<std::int64_t>(f[2]);
    const auto digest = Number<std::uint64_t>(f[f.size() - 2], 16);
    const auto serverDigest = Number<std::uint64_t>(f.back(), 16);
    if (!day || !digest || !serverDigest || *day < -700000 || *day > 3000000)
        return std::nullopt;
    entry.Day = static_cast<double>(*day);
    entry.Digest = *digest;
    entry.ServerDigest = *serverDigest;
    if (entry.IsNote) {
        const auto days = Number<int>(f[3]);
        const auto lines = Number<int>(f[4]);
        if (!days || !lines || *days < 1 || *lines < 1)
            return std::nullopt;
        entry.Days = *days;
        entry.LineCount = *lines;
    }
    return entry;
}

}  // namespace

bool TSyncState::HasEntries() const
{
    for (const auto& [href, record] : Records)
        if (!record.Entries.empty())
            return true;
    return false;
}

std::string SyncStateToText(const TSyncState& state)
{
    std::string text = std::string(Header) + "\n";
    text += "collection\t" + store::EscapedField(state.Collection) + "\n";
    text += "ctag\t" + store::EscapedField(state.Ctag) + "\n";
    text += "token\t" + store::EscapedField(state.SyncToken) + "\n";
    for (const auto& [href, record] : state.Records) {
        text += "resource\t" + store::EscapedField(href) + "\t" +
                store::EscapedField(record.Etag) + "\t" + (record.Partial ? "partial" : "") + "\n";
        for (const TSyncEntry& entry : record.Entries) {
            const std::string day = std::to_string(std::llround(entry.Day));
            if (entry.IsNote)
                text += "note\t" + store::EscapedField(entry.Uid) + "\t" + day + "\t" +
                        std::to_string(entry.Days) + "\t" + std::to_string(entry.LineCount) +
                        "\t" + Hex(entry.Digest) + "\t" + Hex(entry.ServerDigest) + "\n";
            else
                text += "reminder\t" + store::EscapedField(entry.Uid) + "\t" + day + "\t" +
                        Hex(entry.Digest) + "\t" + Hex(entry.ServerDigest) + "\n";
        }
    }
    return text;
}

TSyncState SyncStateFromText(const std::string& text)
{
    TSyncState state;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    TSyncRecord* record = nullptr;
    const auto fail = [&number]() {
        throw ESyncStateError("line " + std::to_string(number) + " does not read");
    };
    while (std::getline(lines, line)) {
        ++number;
        if (number == 1) {
            if (line != Header)
                fail();
            continue;
        }
        const auto fields = Fields(line);
        if (!fields)
            fail();
        const std::vector<std::string>& f = *fields;
        const std::string& key = f[0];
        if ((key == "collection" || key == "ctag" || key == "token") && f.size() == 2) {
            (key == "collection" ? state.Collection
                                 : key == "ctag" ? state.Ctag : state.SyncToken) = f[1];
        } else if (key == "resource" && f.size() == 4 && !f[1].empty() &&
                   (f[3].empty() || f[3] == "partial") && !state.Records.contains(f[1])) {
            record = &state.Records[f[1]];
            record->Href = f[1];
            record->Etag = f[2];
            record->Partial = f[3] == "partial";
        } else if ((key == "note" || key == "reminder") && record != nullptr) {
            const auto entry = EntryOf(f);
            if (!entry)
                fail();
            record->Entries.push_back(*entry);
        } else {
            fail();
        }
    }
    if (number == 0 || !text.ends_with('\n'))
        throw ESyncStateError(number == 0 ? "the file is empty" : "the file ends in mid-line");
    return state;
}

TSyncState LoadSyncState(const std::string& fileName)
{
    std::error_code error;
    if (!std::filesystem::exists(fileName, error) && !error)
        return {};
    try {
        return SyncStateFromText(store::ReadWholeFile(fileName));
    } catch (const ESyncStateError& failure) {
        throw ESyncStateError(fileName + " is damaged (" + failure.what() + ")");
    }
}

void SaveSyncState(const std::string& fileName, const TSyncState& state)
{
    store::SaveFileAtomically(fileName, SyncStateToText(state));
}

std::uint64_t ItemDigest(const TCalendarItem& item)
{
    if (item.IsNote)
        return LinesDigest(item.Lines);
    TFnv fnv;
    fnv.Add("reminder");
    fnv.Add(Seconds(item.When));
    fnv.Add(item.Subject);
    fnv.Add(std::int64_t(item.Desc.size()));
    for (const std::string& line : item.Desc)
        fnv.Add(line);
    fnv.Add(item.Category);
    fnv.Add(std::int64_t{item.Before});
    fnv.Add(std::int64_t{item.Recurrency});
    return fnv.Hash;
}

std::uint64_t LinesDigest(const std::vector<std::string>& lines)
{
    TFnv fnv;
    fnv.Add("note");
    for (const std::string& line : lines)
        fnv.Add(line);
    return fnv.Hash;
}

}  // namespace orvenna::ical
