#pragma once
// Integer types whose values the stream writes by name: colours and font character sets.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace orvenna::store {

struct TIdentEntry {
    std::string_view Name;
    std::int32_t Value;
};

using TIdentMap = std::span<const TIdentEntry>;

// The 52 named colours (red in the low byte; system colours 0xFF000000 + system index).
extern const TIdentMap ColorIdents;
// The 18 named font character sets (0..255).
extern const TIdentMap CharsetIdents;

// The name of the entry holding this value; none when no entry has it.
std::optional<std::string_view> IntToIdent(TIdentMap map, std::int32_t value);
// The value of the entry with this name in any letter case; none when no entry has it.
std::optional<std::int32_t> IdentToInt(TIdentMap map, std::string_view name);

// Names compare without regard to the letter case of a to z.
bool SameText(std::string_view a, std::string_view b);

}  // namespace orvenna::store
