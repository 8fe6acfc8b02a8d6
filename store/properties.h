#pragma once
// Published properties: one table per class drives both the stream writer and the reader.
//
// A class lists its published properties in stream order (TPropInfo), each with its kind, its
// access and the facts the writer's selection rules need (stored flag, declared default). A
// class's TClassInfo names its parent's table, whose properties come first. Adding a streamed
// class means writing such a table; the codec in stream.h stays as it is.

#include "store/identmaps.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace orvenna::store {

struct TClassInfo;

// Anything the stream can read into and write from.
class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual const TClassInfo& ClassInfo() const = 0;
    std::string_view ClassName() const;

protected:
    TPersistent() = default;
    TPersistent(const TPersistent&) = default;
    TPersistent& operator=(const TPersistent&) = default;
};

// A root object of a stream; contributes the published Tag (declared default 0).
class TComponent : public TPersistent {
public:
    std::int32_t Tag = 0;
};

// An ordered collection of items of one class, streamed as a Collection value.
class TCollection : public TPersistent {
public:
    virtual int Count() const = 0;
    virtual TPersistent& Item(int index) = 0;
    virtual const TPersistent& Item(int index) const = 0;
    // Appends an item with its creation values.
    virtual TPersistent& Add() = 0;
    virtual void Clear() = 0;
};

enum class TPropKind : std::uint8_t {
    Integer,      // 32-bit integer, optionally written by name through an identifier map
    Enumeration,  // ordinal with value names; Booleans are the enumeration False, True
    Set,          // bit set with member names in bit order
    Float,        // TDateTime and other doubles, written as 80-bit extended
    Text,         // UTF-8 text
    Strings,      // owned string list, streamed as the defined property Strings
    Object,       // owned nested persistent object, streamed with a dotted path
    Collection,   // owned collection, streamed as one Collection value
};

struct TPropInfo {
    std::string_view Name;
    TPropKind Kind = TPropKind::Integer;
    bool Stored = true;
    bool HasDefault = false;  // only ordinal kinds declare defaults
    std::int64_t Default = 0;
    const TIdentMap* Idents = nullptr;         // Integer: names of values
    std::span<const std::string_view> Names;  // Enumeration values, Set members

    // Access by kind; a null setter makes the property read-only.
    std::int64_t (*GetOrd)(const TPersistent&) = nullptr;
    void (*SetOrd)(TPersistent&, std::int64_t) = nullptr;
    double (*GetFloat)(const TPersistent&) = nullptr;
    void (*SetFloat)(TPersistent&, double) = nullptr;
    const std::string& (*GetText)(const TPersistent&) = nullptr;
    void (*SetText)(TPersistent&, std::string&&) = nullptr;
    std::vector<std::string>* (*GetStrings)(TPersistent&) = nullptr;
    TPersistent* (*GetObject)(TPersistent&) = nullptr;
    TCollection* (*GetCollection)(TPersistent&) = nullptr;

    bool Writable() const
    {
        switch (Kind) {
        case TPropKind::Float:
            return SetFloat != nullptr;
        case TPropKind::Text:
            return SetText != nullptr;
        case TPropKind::Strings:
        case TPropKind::Object:
        case TPropKind::Collection:
            return true;  // the owned object is filled in place
        default:
            return SetOrd != nullptr;
        }
    }
};

struct TClassInfo {
    std::string_view ClassName;
    const TClassInfo* Parent = nullptr;
    std::span<const TPropInfo> Props;
};

inline std::string_view TPersistent::ClassName() const
{
    return ClassInfo().ClassName;
}

// The published property of that name (any letter case) of a class or its parents.
inline const TPropInfo* FindProp(const TClassInfo& info, std::string_view name)
{
    // Files hold the names as the tables spell them: the exact comparison decides most, and
    // SameText is only asked about names of the same length that differ.
    for (const TClassInfo* c = &info; c != nullptr; c = c->Parent)
        for (const TPropInfo& prop : c->Props)
            if (prop.Name.size() == name.size() && (prop.Name == name || SameText(prop.Name, name)))
                return &prop;
    return nullptr;
}

// Builders of table entries for data members; the member's class is the property's owner.
namespace props {

template <typename C, typename T>
C OwnerOf(T C::*);
template <auto Member>
using TOwner = decltype(OwnerOf(Member));
template <auto Member>
using TField = std::remove_cvref_t<decltype(std::declval<TOwner<Member>&>().*Member)>;

template <auto Member>
constexpr TPropInfo Ordinal(std::string_view name, TPropKind kind)
{
    using C = TOwner<Member>;
    using T = TField<Member>;
    TPropInfo p{.Name = name, .Kind = kind};
    p.GetOrd = [](const TPersistent& o) -> std::int64_t {
        return static_cast<std::int64_t>(static_cast<const C&>(o).*Member);
    };
    p.SetOrd = [](TPersistent& o, std::int64_t v) { static_cast<C&>(o).*Member = static_cast<T>(v); };
    return p;
}

template <auto Member>
constexpr TPropInfo Integer(std::string_view name, const TIdentMap* idents = nullptr)
{
    TPropInfo p = Ordinal<Member>(name, TPropKind::Integer);
    p.Idents = idents;
    return p;
}

inline constexpr std::string_view BooleanNames[] = {"False", "True"};

template <auto Member>
constexpr TPropInfo Boolean(std::string_view name)
{
    TPropInfo p = Ordinal<Member>(name, TPropKind::Enumeration);
    p.Names = BooleanNames;
    return p;
}

template <auto Member>
constexpr TPropInfo Enumeration(std::string_view name, std::span<const std::string_view> names)
{
    TPropInfo p = Ordinal<Member>(name, TPropKind::Enumeration);
    p.Names = names;
    return p;
}

template <auto Member>
constexpr TPropInfo Set(std::string_view name, std::span<const std::string_view> members)
{
    TPropInfo p = Ordinal<Member>(name, TPropKind::Set);
    p.Names = members;
    return p;
}

template <auto Member>
constexpr TPropInfo Float(std::string_view name)
{
    using C = TOwner<Member>;
    TPropInfo p{.Name = name, .Kind = TPropKind::Float};
    p.GetFloat = [](const TPersistent& o) -> double { return static_cast<const C&>(o).*Member; };
    p.SetFloat = [](TPersistent& o, double v) { static_cast<C&>(o).*Member = v; };
    return p;
}

template <auto Member>
constexpr TPropInfo Text(std::string_view name)
{
    using C = TOwner<Member>;
    TPropInfo p{.Name = name, .Kind = TPropKind::Text};
    p.GetText = [](const TPersistent& o) -> const std::string& {
        return static_cast<const C&>(o).*Member;
    };
    p.SetText = [](TPersistent& o, std::string&& v) { static_cast<C&>(o).*Member = std::move(v); };
    return p;
}

template <auto Member>
constexpr TPropInfo Strings(std::string_view name)
{
    using C = TOwner<Member>;
    TPropInfo p{.Name = name, .Kind = TPropKind::Strings};
    p.GetStrings = [](TPersistent& o) { return &(static_cast<C&>(o).*Member); };
    return p;
}

template <auto Member>
constexpr TPropInfo Object(std::string_view name)
{
    using C = TOwner<Member>;
    TPropInfo p{.Name = name, .Kind = TPropKind::Object};
    p.GetObject = [](TPersistent& o) -> TPersistent* { return &(static_cast<C&>(o).*Member); };
    return p;
}

template <auto Member>
constexpr TPropInfo Collection(std::string_view name)
{
    using C = TOwner<Member>;
    TPropInfo p{.Name = name, .Kind = TPropKind::Collection};
    p.GetCollection = [](TPersistent& o) -> TCollection* { return &(static_cast<C&>(o).*Member); };
    return p;
}

// Marks a property as carrying a declared default: the writer skips it at that value.
constexpr TPropInfo WithDefault(TPropInfo p, std::int64_t value)
{
    p.HasDefault = true;
    p.Default = value;
    return p;
}

// Marks a property as not stored: never written, still read.
constexpr TPropInfo NotStored(TPropInfo p)
{
    p.Stored = false;
    return p;
}

}  // namespace props

// The component base's own published properties: Name (never stored; a name read is dropped)
// and Tag (declared default 0).
extern const TClassInfo ComponentClassInfo;

}  // namespace orvenna::store
