#pragma once
// Checked reading of the JSON documents orvenna-notes takes on stdin. Every reader names the
// place it reads (such as "papers[0].Day") and throws EJsonShape with that place when the value
// does not have the expected type or range, so a refused input says where it went wrong.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvenna::tools {

using TJson = nlohmann::ordered_json;

// Input that does not have the expected shape; the message says where.
class EJsonShape final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& where, const std::string& what);

// The value is an object whose keys are all among the known ones.
void CheckKeys(const TJson& object, const std::string& where,
               std::initializer_list<std::string_view> known);

// An integer in lowest..highest.
std::int64_t Ranged(const TJson& value, const std::string& where, std::int64_t lowest,
                    std::int64_t highest);
std::int32_t Int32(const TJson& value, const std::string& where);
double Number(const TJson& value, const std::string& where);
bool Bool(const TJson& value, const std::string& where);
std::string Text(const TJson& value, const std::string& where);
// An array of strings.
std::vector<std::string> TextLines(const TJson& value, const std::string& where);

}  // namespace orvenna::tools
