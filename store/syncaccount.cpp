#include "store/syncaccount.h"

#include "store/errors.h"
#include "store/filesave.h"
#include "store/sidefile.h"

#include <charconv>
#include <functional>
#include <optional>

namespace orvenna::store {
namespace {

constexpr std::string_view AccountHeader = "Orvenna sync account ";
constexpr std::string_view CacheHeader = "Orvenna subscriptions ";
constexpr int FormatVersion = 1;
constexpr std::string_view EndLine = "End";

// A value on one line: line ends cannot be typed into the fields these come from, and one that
// slipped in would end the record.
std::string OneLine(std::string_view value)
{
    std::string line;
    for (const char c : value)
        if (c != '\n' && c != '\r')
            line += c;
    return line;
}

void Put(std::string& text, std::string_view key, std::string_view value)
{
    text.append(key).append("=").append(OneLine(value)).append("\n");
}

template <typename T>
std::optional<T> ReadInteger(std::string_view text)
{
    T value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The lines of a side file, read one by one, with the body of a block taken by its length.
class TLineReader final {
public:
    explicit TLineReader(std::string_view text) : Text(text) {}

    bool AtEnd() const { return At >= Text.size(); }
    int LineNumber() const { return Line; }

    std::string_view Next()
    {
        const std::size_t end = std::min(Text.find('\n', At), Text.size());
        std::string_view line = Text.substr(At, end - At);
        At = end + 1;
        ++Line;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        return line;
    }

    // The next bytes and the line end after them; none when the text is shorter.
    std::optional<std::string_view> Bytes(std::size_t count)
    {
        if (count > Text.size() - std::min(At, Text.size()) || At + count >= Text.size() ||
            Text[At + count] != '\n')
            return std::nullopt;
        const std::string_view bytes = Text.substr(At, count);
        At += count + 1;
        ++Line;
        return bytes;
    }

private:
    std::string_view Text;
    std::size_t At = 0;
    int Line = 0;
};

// Reads the header, then every "key=value" line up to "End" through readLine, which returns
// false for a value that does not read. Returns what is wrong; empty when all of it read.
std::string ReadSideFile(std::string_view text, std::string_view header, std::string_view kind,
                         const std::function<bool(std::string_view, std::string_view,
                                                  TLineReader&)>& readLine)
{
    TLineReader reader(text);
    const std::string_view first = reader.Next();
    if (!first.starts_with(header))
        return "not " + std::string(kind);
    if (first.substr(header.size()) != std::to_string(FormatVersion))
        return "unknown version \"" + std::string(first.substr(header.size())) + "\"";
    while (!reader.AtEnd()) {
        const std::string_view line = reader.Next();
        if (line == EndLine)
            return {};
        if (line.empty())
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos ||
            !readLine(line.substr(0, equals), line.substr(equals + 1), reader))
            return "line " + std::to_string(reader.LineNumber()) + " does not read: " +
                   std::string(line.substr(0, 80));
    }
    // A file cut short, by a full disk or a copy that stopped, lacks its last line.
    return "the file ends early";
}

}  // namespace

std::string SyncAccountToText(const TSyncAccount& account)
{
    std::string text = std::string(AccountHeader) + std::to_string(FormatVersion) + '\n';
    Put(text, "Server", account.Server);
    Put(text, "User", account.User);
    Put(text, "Calendar", account.Calendar);
    for (const std::string& url : account.Subscriptions)
        Put(text, "Subscription", url);
    return text + std::string(EndLine) + '\n';
}

std::string SyncAccountFromText(std::string_view text, TSyncAccount& account)
{
    TSyncAccount read;
    const std::string failure = ReadSideFile(
        text, AccountHeader, "a sync account file",
        [&read](std::string_view key, std::string_view value, TLineReader&) {
            if (key == "Server")
                read.Server = value;
            else if (key == "User")
                read.User = value;
            else if (key == "Calendar")
                read.Calendar = value;
            else if (key == "Subscription")
                read.Subscriptions.emplace_back(value);
            return true;
        });
    if (failure.empty())
        account = std::move(read);
    return failure;
}

std::string SubscriptionCacheToText(const std::vector<TSubscriptionCopy>& copies)
{
    std::string text = std::string(CacheHeader) + std::to_string(FormatVersion) + '\n';
    for (const TSubscriptionCopy& copy : copies) {
        Put(text, "Url", copy.Url);
        Put(text, "ETag", copy.ETag);
        Put(text, "LastModified", copy.LastModified);
        Put(text, "Fetched", std::to_string(copy.Fetched));
        Put(text, "Body", std::to_string(copy.Body.size()));
        text.append(copy.Body).append("\n");
    }
    return text + std::string(EndLine) + '\n';
}

std::string SubscriptionCacheFromText(std::string_view text,
                                      std::vector<TSubscriptionCopy>& copies)
{
    std::vector<TSubscriptionCopy> read;
    const std::string failure = ReadSideFile(
        text, CacheHeader, "a subscription cache",
        [&read](std::string_view key, std::string_view value, TLineReader& reader) {
            if (key == "Url") {
                read.push_back({.Url = std::string(value)});
                return true;
            }
            if (read.empty())  // every other key belongs to the calendar of the Url before
                return key != "ETag" && key != "LastModified" && key != "Fetched" &&
                       key != "Body";
            TSubscriptionCopy& copy = read.back();
            if (key == "ETag") {
                copy.ETag = value;
            } else if (key == "LastModified") {
                copy.LastModified = value;
            } else if (key == "Fetched") {
                const auto seconds = ReadInteger<std::int64_t>(value);
                if (!seconds)
                    return false;
                copy.Fetched = *seconds;
            } else if (key == "Body") {
                const auto size = ReadInteger<std::size_t>(value);
                const auto body = size ? reader.Bytes(*size) : std::nullopt;
                if (!body)
                    return false;
                copy.Body = *body;
            }
            return true;
        });
    if (failure.empty())
        copies = std::move(read);
    return failure;
}

void SaveSyncAccount(const std::string& fileName, const TSyncAccount& account)
{
    SaveFileAtomically(fileName, SyncAccountToText(account));
}

void SaveSubscriptionCache(const std::string& fileName,
                           const std::vector<TSubscriptionCopy>& copies)
{
    SaveFileAtomically(fileName, SubscriptionCacheToText(copies));
}

std::string LoadSyncAccount(const std::string& fileName, TSyncAccount& account)
{
    return LoadSideFile(fileName, [&account](std::string_view text) {
        return SyncAccountFromText(text, account);
    });
}

std::string LoadSubscriptionCache(const std::string& fileName,
                                  std::vector<TSubscriptionCopy>& copies)
{
    return LoadSideFile(fileName, [&copies](std::string_view text) {
        return SubscriptionCacheFromText(text, copies);
    });
}

}  // namespace orvenna::store
