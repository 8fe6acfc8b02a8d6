#include "store/properties.h"

namespace orvenna::store {
namespace {

// A component's name: never written, and a name read from a file is taken and dropped, as the
// program's objects have none.
constexpr TPropInfo NameProp()
{
    TPropInfo p{.Name = "Name", .Kind = TPropKind::Text, .Stored = false};
    p.GetText = [](const TPersistent&) -> const std::string& {
        static const std::string none;
        return none;
    };
    p.SetText = [](TPersistent&, std::string&&) {};
    return p;
}

constexpr TPropInfo ComponentProps[] = {
    NameProp(),
    props::WithDefault(props::Integer<&TComponent::Tag>("Tag"), 0),
};

}  // namespace

const TClassInfo ComponentClassInfo{"TComponent", nullptr, ComponentProps};

}  // namespace orvenna::store
