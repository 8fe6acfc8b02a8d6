#include "store/sidefile.h"

#include "store/errors.h"
#include "store/filesave.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace orvenna::store {
namespace {

constexpr std::string_view EndLine = "End";

}  // namespace

std::vector<std::string_view> SideFileLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string SideFileHeader(std::string_view kind, int version)
{
    return "Orvenna " + std::string(kind) + ' ' + std::to_string(version);
}

std::string ReadSideFile(std::string_view text, std::string_view kind, int version,
                         const std::function<bool(std::string_view key, std::string_view value)>& line)
{
    std::vector<std::string_view> lines = SideFileLines(text);
    const std::string header = "Orvenna " + std::string(kind) + ' ';
    if (lines.empty() || !lines[0].starts_with(header)) {
        const bool vowel = !kind.empty() && std::string_view("aeiou").find(kind[0]) != std::string_view::npos;
        return std::string(vowel ? "not an " : "not a ") + std::string(kind) + " file";
    }
    const std::string_view found = lines[0].substr(header.size());
    if (found != std::to_string(version))
        return "unknown version \"" + std::string(found) + "\"";
    // A file cut short, by a full disk or a copy that stopped, lacks its last line.
    if (lines.back() != EndLine)
        return "the file ends early";
    lines.pop_back();
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view current = lines[i];
        if (current.empty())
            continue;
        const std::size_t equals = current.find('=');
        if (equals == std::string_view::npos ||
            !line(current.substr(0, equals), current.substr(equals + 1)))
            return "line " + std::to_string(i + 1) + " does not read: " + std::string(current);
    }
    return {};
}

std::string LoadSideFile(const std::string& fileName,
                         const std::function<std::string(std::string_view text)>& read)
{
    std::error_code error;
    if (!std::filesystem::exists(fileName, error))
        return {};
    try {
        return read(ReadWholeFile(fileName));
    } catch (const EStoreError& failure) {
        return failure.what();
    }
}

std::string EscapedField(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

std::optional<std::string> UnescapedField(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

}  // namespace orvenna::store
