#include "store/properties.h"

namespace orvenna::store {
namespace {

constexpr TPropInfo ComponentProps[] = {
    props::WithDefault(props::Integer<&TComponent::Tag>("Tag"), 0),
};

}  // namespace

const TClassInfo ComponentClassInfo{"TComponent", nullptr, ComponentProps};

}  // namespace orvenna::store
