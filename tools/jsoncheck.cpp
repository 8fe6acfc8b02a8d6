#include "tools/jsoncheck.h"

#include <limits>

namespace orvenna::tools {

void Fail(const std::string& where, const std::string& what)
{
    throw EJsonShape(where + ": " + what);
}

void CheckKeys(const TJson& object, const std::string& where,
               std::initializer_list<std::string_view> known)
{
    if (!object.is_object())
        Fail(where, "expected an object");
    for (const auto& [key, value] : object.items()) {
        bool found = false;
        for (std::string_view name : known)
            found = found || key == name;
        if (!found)
            Fail(where, "unknown key \"" + key + "\"");
    }
}

std::int64_t Ranged(const TJson& value, const std::string& where, std::int64_t lowest,
                    std::int64_t highest)
{
    if (!value.is_number_integer())
        Fail(where, "expected an integer");
    const bool fits = value.is_number_unsigned()
                          ? value.get<std::uint64_t>() <= static_cast<std::uint64_t>(highest)
                          : value.get<std::int64_t>() >= lowest &&
                                value.get<std::int64_t>() <= highest;
    if (!fits)
        Fail(where, "expected an integer in " + std::to_string(lowest) + ".." +
                        std::to_string(highest));
    return value.get<std::int64_t>();
}

std::int32_t Int32(const TJson& value, const std::string& where)
{
    return static_cast<std::int32_t>(Ranged(value, where, std::numeric_limits<std::int32_t>::min(),
                                            std::numeric_limits<std::int32_t>::max()));
}

double Number(const TJson& value, const std::string& where)
{
    if (!value.is_number())
        Fail(where, "expected a number");
    return value.get<double>();
}

bool Bool(const TJson& value, const std::string& where)
{
    if (!value.is_boolean())
        Fail(where, "expected true or false");
    return value.get<bool>();
}

std::string Text(const TJson& value, const std::string& where)
{
    if (!value.is_string())
        Fail(where, "expected a string");
    return value.get<std::string>();
}

std::vector<std::string> TextLines(const TJson& value, const std::string& where)
{
    if (!value.is_array())
        Fail(where, "expected an array of strings");
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < value.size(); ++i)
        lines.push_back(Text(value[i], where + "[" + std::to_string(i) + "]"));
    return lines;
}

}  // namespace orvenna::tools
