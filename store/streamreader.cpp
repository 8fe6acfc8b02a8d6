#include "store/stream.h"

#include "store/textcodec.h"

#include <cstring>
#include <string>
#include <vector>

namespace orvenna::store {
namespace {

// Collections inside collection items: deeper data is rejected instead of recursing on.
constexpr int MaxCollectionDepth = 32;

std::string PropertyMissing(std::string_view name)
{
    std::string text = "Property ";
    text.append(name).append(" does not exist");
    return text;
}

std::string CannotAssignNil(std::string_view className)
{
    std::string text = "Cannot assign a nil to a ";
    text.append(className);
    return text;
}

// Paths are a few bytes long: a plain loop beats a call to memchr.
std::size_t FindDot(std::string_view path, std::size_t start)
{
    for (std::size_t i = start; i < path.size(); ++i)
        if (path[i] == '.')
            return i;
    return std::string_view::npos;
}

// The writer puts an object's properties in the order of its class's table, so the reader looks
// for each name from the one after the previous property on. It takes a name only as the table
// spells it, with nothing after it or, for a string list, exactly ".Strings"; anything else (a
// name in other letters, a nested path, a parent's property, a name out of order) is left to the
// full walk, which gives the same result for these names because no two properties of a class
// differ only in letter case.
class TTableOrder final {
public:
    const TPropInfo* Find(const TClassInfo& info, std::string_view path)
    {
        static constexpr std::string_view StringsSuffix = ".Strings";
        if (Next == nullptr)
            Next = info.Props.data();
        const TPropInfo* const end = info.Props.data() + info.Props.size();
        for (const TPropInfo* prop = Next; prop < end; ++prop) {
            const std::string_view name = prop->Name;
            const bool found =
                prop->Kind == TPropKind::Strings
                    ? path.size() == name.size() + StringsSuffix.size() &&
                          path.starts_with(name) && path.ends_with(StringsSuffix)
                    : path == name;
            if (found) {
                Next = prop + 1;
                return prop;
            }
        }
        return nullptr;
    }

private:
    const TPropInfo* Next = nullptr;
};

class TStreamReader final {
public:
    explicit TStreamReader(TByteReader& in) : In(in) {}

    void ReadObject(TPersistent& object)
    {
        ReadHeader();
        if (In.ReadBytes(StreamSignature.size()) != StreamSignature)
            throw EReadError(InvalidStreamFormat);
        ReadPrefix();
        In.ReadShortString();  // class name: not compared with the object's
        const std::string_view objectName = In.ReadShortString();
        const std::string_view shownName = objectName.empty() ? object.ClassName() : objectName;
        TTableOrder order;
        while (In.Peek() != vaNull)
            ReadProperty(object, shownName, order);
        In.ReadU8();
        // The program's classes own no child objects; a child record is foreign data.
        if (In.Peek() != vaNull)
            throw EReadError(InvalidStreamFormat);
        In.ReadU8();
    }

private:
    void ReadHeader()
    {
        // Up to 79 bytes are looked at; the name ends at its zero byte or at the 76th byte.
        unsigned char header[80] = {};
        const std::string_view ahead = In.PeekBytes(79);
        std::memcpy(header, ahead.data(), ahead.size());
        if (header[0] != 0xFF || header[1] != 0x0A || header[2] != 0x00)
            throw EReadError(InvalidStreamFormat);
        const std::size_t nameLength =
            strnlen(reinterpret_cast<const char*>(header + 3), sizeof header - 4);
        In.Skip(nameLength + 10);
    }

    void ReadPrefix()
    {
        const std::uint8_t first = In.Peek();
        if (first < 0xF0)
            return;
        In.ReadU8();
        if (first & 0x02)
            ReadInteger();  // child position: meaningless for a root object
    }

    void ReadProperty(TPersistent& instance, std::string_view shownName, TTableOrder& order)
    {
        std::string_view path;
        try {
            path = In.ReadShortString();
            if (const TPropInfo* prop = order.Find(instance.ClassInfo(), path))
                return prop->Kind == TPropKind::Strings ? ReadLines(*prop->GetStrings(instance))
                                                        : ReadValue(instance, *prop);
            ReadPath(instance, path);
        } catch (EStoreError& error) {
            std::string text = "Error reading ";
            text.append(shownName).append(".").append(path).append(": ").append(error.Text());
            error.SetText(std::move(text));
            throw;
        }
    }

    // Walks the dotted path from the instance and reads the value into its last part.
    void ReadPath(TPersistent& instance, std::string_view path)
    {
        TPersistent* current = &instance;
        std::vector<std::string>* lines = nullptr;  // set when the path went into a string list
        std::size_t start = 0;
        for (std::size_t dot; (dot = FindDot(path, start)) != std::string_view::npos;
             start = dot + 1) {
            const std::string_view part = path.substr(start, dot - start);
            const TPropInfo* prop = lines ? nullptr : FindProp(current->ClassInfo(), part);
            if (prop == nullptr)
                FailAfterSkip(PropertyMissing(part));
            if (prop->Kind == TPropKind::Object && (current = prop->GetObject(*current)))
                continue;
            if (prop->Kind == TPropKind::Collection) {
                current = prop->GetCollection(*current);
                continue;
            }
            if (prop->Kind == TPropKind::Strings) {
                lines = prop->GetStrings(*current);
                continue;
            }
            FailAfterSkip(InvalidPropertyPath);
        }
        const std::string_view last = path.substr(start);
        if (lines != nullptr) {
            // A string list's only property is the defined one.
            if (!SameText(last, "Strings"))
                FailAfterSkip(PropertyMissing(last));
            return ReadLines(*lines);
        }
        const TPropInfo* prop = FindProp(current->ClassInfo(), last);
        if (prop == nullptr)
            FailAfterSkip(PropertyMissing(last));
        ReadValue(*current, *prop);
    }

    [[noreturn]] void FailAfterSkip(std::string message)
    {
        SkipValue();
        throw EReadError(std::move(message));
    }

    void ReadValue(TPersistent& object, const TPropInfo& prop)
    {
        if (!prop.Writable())
            throw EReadError(PropertyReadOnly);
        switch (prop.Kind) {
        case TPropKind::Integer:
            return prop.SetOrd(object, ReadIntegerProperty(prop));
        case TPropKind::Enumeration:
            return prop.SetOrd(object, ReadEnumeration(prop));
        case TPropKind::Set:
            return prop.SetOrd(object, ReadSet(prop));
        case TPropKind::Float:
            return prop.SetFloat(object, ReadFloat());
        case TPropKind::Text:
            return prop.SetText(object, ReadText());
        case TPropKind::Strings:
            return ReadObjectValue(nullptr, "TStringList");
        case TPropKind::Object: {
            const TPersistent* nested = prop.GetObject(object);
            return ReadObjectValue(nullptr, nested ? nested->ClassName() : "TPersistent");
        }
        case TPropKind::Collection: {
            TCollection* collection = prop.GetCollection(object);
            return ReadObjectValue(collection, collection->ClassName());
        }
        }
    }

    // An owned object property: only a collection takes a value; Nil would drop the owned
    // object, which an assignment from nothing refuses.
    void ReadObjectValue(TCollection* collection, std::string_view heldClass)
    {
        const std::uint8_t tag = In.ReadU8();
        if (tag == vaNil)
            throw EConvertError(CannotAssignNil(heldClass));
        if (tag != vaCollection || collection == nullptr)
            throw EReadError(InvalidPropertyValue);
        ReadCollection(*collection);
    }

    void ReadCollection(TCollection& collection)
    {
        if (++Depth > MaxCollectionDepth)
            throw EReadError(InvalidStreamFormat);
        if (In.Peek() != vaNull)
            collection.Clear();
        while (In.Peek() != vaNull) {
            const std::uint8_t tag = In.Peek();
            if (tag == vaInt8 || tag == vaInt16 || tag == vaInt32)
                ReadInteger();  // an item's order number: not used
            TPersistent& item = collection.Add();
            if (In.ReadU8() != vaList)
                throw EReadError(InvalidPropertyValue);
            TTableOrder order;
            while (In.Peek() != vaNull)
                ReadProperty(item, item.ClassName(), order);
            In.ReadU8();
        }
        In.ReadU8();
        --Depth;
    }

    std::int64_t ReadInteger()
    {
        switch (In.ReadU8()) {
        case vaInt8:
            return In.ReadI8();
        case vaInt16:
            return In.ReadI16();
        case vaInt32:
            return In.ReadI32();
        default:
            throw EReadError(InvalidPropertyValue);
        }
    }

    std::int64_t ReadIntegerProperty(const TPropInfo& prop)
    {
        if (In.Peek() != vaIdent)
            return ReadInteger();
        In.ReadU8();
        const std::string_view name = In.ReadShortString();
        const auto value = prop.Idents ? IdentToInt(*prop.Idents, name) : std::nullopt;
        if (!value)
            throw EReadError(InvalidPropertyValue);
        return *value;
    }

    std::string_view ReadIdent()
    {
        switch (In.ReadU8()) {
        case vaIdent:
            return In.ReadShortString();
        case vaFalse:
            return "False";
        case vaTrue:
            return "True";
        case vaNull:
            return "Null";
        case vaNil:
            return "nil";
        default:
            throw EReadError(InvalidPropertyValue);
        }
    }

    static std::int64_t OrdinalOf(const TPropInfo& prop, std::string_view name)
    {
        for (std::size_t i = 0; i < prop.Names.size(); ++i)
            if (SameText(prop.Names[i], name))
                return static_cast<std::int64_t>(i);
        // The stored ordinal would be -1, a value the type does not have.
        throw EReadError(InvalidPropertyValue);
    }

    std::int64_t ReadEnumeration(const TPropInfo& prop) { return OrdinalOf(prop, ReadIdent()); }

    std::int64_t ReadSet(const TPropInfo& prop)
    {
        if (In.ReadU8() != vaSet)
            throw EReadError(InvalidPropertyValue);
        std::int64_t value = 0;
        for (std::string_view name; !(name = In.ReadShortString()).empty();)
            value |= std::int64_t{1} << OrdinalOf(prop, name);
        return value;
    }

    double ReadFloat()
    {
        const std::uint8_t tag = In.Peek();
        if (tag == vaInt64) {
            In.ReadU8();
            return static_cast<double>(In.ReadI64());
        }
        if (tag != vaExtended)
            return static_cast<double>(ReadInteger());
        In.ReadU8();
        long double extended = 0;
        std::memcpy(&extended, In.ReadBytes(10).data(), 10);
        return static_cast<double>(extended);
    }


    std::string ReadText()
    {
        switch (In.ReadU8()) {
        // 8-bit texts are Windows-1252.
        case vaString:
            return Cp1252ToUtf8(In.ReadShortString());
        case vaLString:
            return Cp1252ToUtf8(In.ReadBytes(In.ReadU32()));
        case vaWString:
            return Utf16LEToUtf8(In.ReadBytes(std::size_t{2} * In.ReadU32()));
        case vaUtf8String:
            return ValidUtf8(In.ReadBytes(In.ReadU32()));
        default:
            throw EReadError(InvalidPropertyValue);
        }
    }

    // The number of text values ahead of the reader, looked at without reading them: stops at
    // anything else and at the end of the bytes at hand, and never fails.
    std::size_t CountTextsAhead() const
    {
        const std::string_view ahead = In.PeekAvailable();
        const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(ahead[i]); };
        const auto u32 = [&](std::size_t i) {
            return static_cast<std::size_t>(byte(i)) | static_cast<std::size_t>(byte(i + 1)) << 8 |
                   static_cast<std::size_t>(byte(i + 2)) << 16 |
                   static_cast<std::size_t>(byte(i + 3)) << 24;
        };
        std::size_t count = 0;
        for (std::size_t pos = 0; pos < ahead.size(); ++count) {
            const std::uint8_t tag = byte(pos);
            std::size_t length = 0;
            if (tag == vaString && pos + 1 < ahead.size()) {
                length = 2 + byte(pos + 1);
            } else if ((tag == vaLString || tag == vaUtf8String || tag == vaWString) &&
                       pos + 5 <= ahead.size()) {
                length = 5 + u32(pos + 1) * (tag == vaWString ? 2 : 1);
            } else {
                break;
            }
            pos += length;
        }
        return count;
    }

    void ReadLines(std::vector<std::string>& lines)
    {
        if (In.ReadU8() != vaList)
            throw EReadError(InvalidPropertyValue);
        lines.clear();
        lines.reserve(CountTextsAhead());
        while (In.Peek() != vaNull)
            lines.push_back(ReadText());
        In.ReadU8();
    }

    void SkipScalar(std::uint8_t tag)
    {
        switch (tag) {
        case vaInt8:
            return In.Skip(1);
        case vaInt16:
            return In.Skip(2);
        case vaInt32:
        case vaSingle:
            return In.Skip(4);
        case vaExtended:
            return In.Skip(10);
        case vaCurrency:
        case vaDate:
        case vaInt64:
            return In.Skip(8);
        case vaString:
        case vaIdent:
            return In.Skip(In.ReadU8());
        case vaBinary:
        case vaLString:
        case vaUtf8String:
            return In.Skip(In.ReadU32());
        case vaWString:
            return In.Skip(std::size_t{2} * In.ReadU32());
        case vaSet:
            for (std::uint8_t length; (length = In.ReadU8()) != 0;)
                In.Skip(length);
            return;
        default:
            return;  // Null, False, True, Nil and unknown tags carry no payload
        }
    }

    // Lists and collections nest without bound in hostile data, so the skipper keeps its own
    // stack instead of recursing.
    void SkipValue()
    {
        enum class TFrame : std::uint8_t { List, Collection, Item };
        std::vector<TFrame> open;
        do {
            if (!open.empty()) {
                if (In.Peek() == vaNull) {
                    In.ReadU8();
                    open.pop_back();
                    continue;
                }
                if (open.back() == TFrame::Collection) {
                    const std::uint8_t tag = In.Peek();
                    if (tag == vaInt8 || tag == vaInt16 || tag == vaInt32)
                        SkipScalar(In.ReadU8());
                    In.Skip(1);  // the item's list tag
                    open.push_back(TFrame::Item);
                    continue;
                }
                if (open.back() == TFrame::Item)
                    In.Skip(In.ReadU8());  // the property name before its value
            }
            const std::uint8_t tag = In.ReadU8();
            if (tag == vaList)
                open.push_back(TFrame::List);
            else if (tag == vaCollection)
                open.push_back(TFrame::Collection);
            else
                SkipScalar(tag);
        } while (!open.empty());
    }

    TByteReader& In;
    int Depth = 0;
};

}  // namespace

void ReadStreamObject(TByteReader& in, TPersistent& object)
{
    TStreamReader(in).ReadObject(object);
}

}  // namespace orvenna::store
