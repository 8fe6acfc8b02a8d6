#include "store/monitorplace.h"

#include "store/errors.h"
#include "store/filesave.h"

#include <charconv>
#include <filesystem>
#include <system_error>
#include <vector>

namespace orvenna::store {
namespace {

constexpr std::string_view Header = "Orvenna monitor ";
constexpr std::string_view EndLine = "End";

std::string PointText(TPoint point)
{
    return std::to_string(point.X) + ',' + std::to_string(point.Y);
}

std::optional<int> ReadInteger(std::string_view text)
{
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<TPoint> ReadPoint(std::string_view text)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    const auto x = ReadInteger(text.substr(0, comma));
    const auto y = ReadInteger(text.substr(comma + 1));
    if (!x || !y)
        return std::nullopt;
    return TPoint{*x, *y};
}

std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return lines;
}

}  // namespace

std::string MonitorPlaceToText(const TMonitorPlace& place)
{
    std::string text = std::string(Header) + std::to_string(MonitorPlaceVersion) + '\n';
    // An output name never holds a line end; one that did must not break the file.
    std::string output = place.Output;
    for (char& c : output)
        if (c == '\n' || c == '\r')
            c = ' ';
    text += "Output=" + output + '\n';
    text += "Screen=" + PointText(place.Screen) + '\n';
    text += "Place=" + PointText(place.Place) + '\n';
    if (place.Away)
        text += "Away=" + PointText(*place.Away) + '\n';
    text += std::string(EndLine) + '\n';
    return text;
}

std::string MonitorPlaceFromText(std::string_view text, TMonitorPlace& place)
{
    const std::vector<std::string_view> lines = Lines(text);
    if (lines.empty() || lines[0].substr(0, Header.size()) != Header)
        return "not a monitor file";
    if (lines[0].substr(Header.size()) != std::to_string(MonitorPlaceVersion))
        return "unknown version " + std::string(lines[0].substr(Header.size()));
    TMonitorPlace read;
    bool ended = false, hasScreen = false, hasPlace = false;
    for (std::size_t i = 1; i < lines.size() && !ended; ++i) {
        const std::string_view line = lines[i];
        const std::string where = "line " + std::to_string(i + 1) + ": ";
        if (line == EndLine) {
            ended = true;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return where + "no key";
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (key == "Output") {
            read.Output = std::string(value);
            continue;
        }
        if (key != "Screen" && key != "Place" && key != "Away")
            continue;  // a later version's key
        const auto point = ReadPoint(value);
        if (!point)
            return where + "not a point: " + std::string(value);
        if (key == "Screen")
            read.Screen = *point, hasScreen = true;
        else if (key == "Place")
            read.Place = *point, hasPlace = true;
        else
            read.Away = *point;
    }
    if (!ended)
        return "no End line";
    if (read.Output.empty() || !hasScreen || !hasPlace)
        return "Output, Screen or Place missing";
    place = std::move(read);
    return {};
}

void SaveMonitorPlace(const std::string& fileName, const TMonitorPlace& place)
{
    SaveFileAtomically(fileName, MonitorPlaceToText(place));
}

std::optional<TMonitorPlace> LoadMonitorPlace(const std::string& fileName)
{
    std::error_code error;
    if (!std::filesystem::exists(fileName, error))
        return std::nullopt;
    try {
        TMonitorPlace place;
        if (MonitorPlaceFromText(ReadWholeFile(fileName), place).empty())
            return place;
    } catch (const EStoreError&) {
    }
    return std::nullopt;
}

}  // namespace orvenna::store
