#include "stream.h"

#include "textcodec.h"

#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace orvenna::store {
namespace {

static_assert(std::numeric_limits<long double>::digits == 64,
              "dates are streamed as x87 80-bit extended values");

constexpr std::string_view Signature = "TPF0";
constexpr std::size_t MaxResourceName = 63;
// Collections inside collection items: deeper data is rejected instead of recursing on.
constexpr int MaxCollectionDepth = 32;

// ---------------------------------------------------------------------------------------------
// Writer

class TStreamWriter final {
public:
    explicit TStreamWriter(TByteWriter& out) : Out(out) {}

    void WriteObject(const TPersistent& object)
    {
        Out.WriteBytes(Signature);
        Out.WriteShortString(object.ClassName());
        Out.WriteShortString({});  // the program's objects have no name
        WriteProperties(object, {});
        Out.WriteU8(vaNull);  // end of properties
        Out.WriteU8(vaNull);  // end of children: there are none
    }

private:
    void WriteProperties(const TPersistent& object, std::string_view prefix)
    {
        WriteClassProperties(object, object.ClassInfo(), prefix);
    }

    // The base class's properties come first.
    void WriteClassProperties(const TPersistent& object, const TClassInfo& info,
                              std::string_view prefix)
    {
        if (info.Parent != nullptr)
            WriteClassProperties(object, *info.Parent, prefix);
        for (const TPropInfo& prop : info.Props)
            if (prop.Stored && prop.Writable())
                WriteProperty(object, prop, prefix);
    }

    void WriteProperty(const TPersistent& object, const TPropInfo& prop, std::string_view prefix)
    {
        // The writer only reads; nested objects are reached through the same accessors as the
        // reader's.
        auto& mutableObject = const_cast<TPersistent&>(object);
        switch (prop.Kind) {
        case TPropKind::Integer:
        case TPropKind::Enumeration:
        case TPropKind::Set: {
            const std::int64_t value = prop.GetOrd(object);
            if (prop.HasDefault && value == prop.Default)
                return;
            Out.WriteShortString(prefix, prop.Name);
            WriteOrdinal(prop, value);
            return;
        }
        case TPropKind::Float: {
            const double value = prop.GetFloat(object);
            if (value == 0)
                return;
            Out.WriteShortString(prefix, prop.Name);
            WriteExtended(value);
            return;
        }
        case TPropKind::Text: {
            const std::string& value = prop.GetText(object);
            if (value.empty())
                return;
            Out.WriteShortString(prefix, prop.Name);
            WriteText(value);
            return;
        }
        case TPropKind::Strings:
            WriteStrings(*prop.GetStrings(mutableObject), prefix, prop.Name);
            return;
        case TPropKind::Object:
            WriteNested(prop.GetObject(mutableObject), prefix, prop.Name);
            return;
        case TPropKind::Collection:
            Out.WriteShortString(prefix, prop.Name);
            WriteCollection(*prop.GetCollection(mutableObject));
            return;
        }
    }

    void WriteOrdinal(const TPropInfo& prop, std::int64_t value)
    {
        if (prop.Kind == TPropKind::Set) {
            Out.WriteU8(vaSet);
            for (std::size_t bit = 0; bit < prop.Names.size() && bit < 64; ++bit)
                if (value & (std::int64_t{1} << bit))
                    Out.WriteShortString(prop.Names[bit]);
            Out.WriteU8(0);
            return;
        }
        if (prop.Kind == TPropKind::Enumeration) {
            if (value >= 0 && static_cast<std::size_t>(value) < prop.Names.size())
                return WriteIdent(prop.Names[static_cast<std::size_t>(value)]);
        } else if (prop.Idents != nullptr) {
            if (const auto name = IntToIdent(*prop.Idents, static_cast<std::int32_t>(value)))
                return WriteIdent(*name);
        }
        WriteInteger(value);
    }

    void WriteInteger(std::int64_t value)
    {
        if (value >= -128 && value <= 127) {
            Out.WriteU8(vaInt8);
            Out.WriteU8(static_cast<std::uint8_t>(value));
        } else if (value >= -32768 && value <= 32767) {
            Out.WriteU8(vaInt16);
            Out.WriteI16(static_cast<std::int16_t>(value));
        } else {
            Out.WriteU8(vaInt32);
            Out.WriteI32(static_cast<std::int32_t>(value));
        }
    }

    void WriteIdent(std::string_view name)
    {
        if (SameText(name, "False"))
            Out.WriteU8(vaFalse);
        else if (SameText(name, "True"))
            Out.WriteU8(vaTrue);
        else if (SameText(name, "Null"))
            Out.WriteU8(vaNull);
        else if (SameText(name, "nil"))
            Out.WriteU8(vaNil);
        else {
            Out.WriteU8(vaIdent);
            Out.WriteShortString(name);
        }
    }

    void WriteExtended(double value)
    {
        const long double extended = value;  // exact
        unsigned char raw[sizeof(long double)];
        std::memcpy(raw, &extended, sizeof raw);
        Out.WriteU8(vaExtended);
        Out.WriteBytes(raw, 10);
    }

    void WriteAnsi(std::string_view text)
    {
        if (text.size() <= 255) {
            Out.WriteU8(vaString);
            Out.WriteShortString(text);
        } else {
            Out.WriteU8(vaLString);
            Out.WriteU32(static_cast<std::uint32_t>(text.size()));
            Out.WriteBytes(text);
        }
    }

    void WriteUtf8(std::string_view text)
    {
        Out.WriteU8(vaUtf8String);
        Out.WriteU32(static_cast<std::uint32_t>(text.size()));
        Out.WriteBytes(text);
    }

    // A text property: WString only when every character needs two or more UTF-8 bytes.
    void WriteText(std::string_view text)
    {
        if (IsAscii(text))
            return WriteAnsi(text);
        const std::size_t units = Utf16Length(text);
        if (text.size() < 2 * units)
            return WriteUtf8(text);
        Out.WriteU8(vaWString);
        Out.WriteU32(static_cast<std::uint32_t>(units));
        Out.WriteBytes(Utf8ToUtf16LE(text));
    }

    void WriteStrings(const std::vector<std::string>& lines, std::string_view prefix,
                      std::string_view name)
    {
        if (lines.empty())
            return;
        Out.WriteShortString(prefix, name, ".Strings");
        Out.WriteU8(vaList);
        for (const std::string& line : lines) {
            if (IsAscii(line))
                WriteAnsi(line);
            else
                WriteUtf8(line);
        }
        Out.WriteU8(vaNull);
    }

    void WriteNested(const TPersistent* nested, std::string_view prefix, std::string_view name)
    {
        if (nested == nullptr) {
            Out.WriteShortString(prefix, name);
            Out.WriteU8(vaNil);
            return;
        }
        std::string path;
        path.reserve(prefix.size() + name.size() + 1);
        path.append(prefix).append(name).push_back('.');
        WriteProperties(*nested, path);
    }

    void WriteCollection(const TCollection& collection)
    {
        Out.WriteU8(vaCollection);
        for (int i = 0; i < collection.Count(); ++i) {
            Out.WriteU8(vaList);
            WriteProperties(collection.Item(i), {});
            Out.WriteU8(vaNull);
        }
        Out.WriteU8(vaNull);
    }

    TByteWriter& Out;
};

// ---------------------------------------------------------------------------------------------
// Reader

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

class TStreamReader final {
public:
    explicit TStreamReader(TByteReader& in) : In(in) {}

    void ReadObject(TPersistent& object)
    {
        ReadHeader();
        if (In.ReadBytes(Signature.size()) != Signature)
            throw EReadError(InvalidStreamFormat);
        ReadPrefix();
        In.ReadShortString();  // class name: not compared with the object's
        const std::string_view objectName = In.ReadShortString();
        const std::string_view shownName = objectName.empty() ? object.ClassName() : objectName;
        while (In.Peek() != vaNull)
            ReadProperty(object, shownName);
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

    void ReadProperty(TPersistent& instance, std::string_view shownName)
    {
        std::string_view path;
        try {
            path = In.ReadShortString();
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
        for (std::size_t dot; (dot = path.find('.', start)) != std::string_view::npos;
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
            while (In.Peek() != vaNull)
                ReadProperty(item, item.ClassName());
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

    // 8-bit texts are Windows-1252; pure ASCII needs no conversion.
    static std::string FromAnsi(std::string_view bytes)
    {
        return IsAscii(bytes) ? std::string(bytes) : Cp1252ToUtf8(bytes);
    }

    std::string ReadText()
    {
        switch (In.ReadU8()) {
        case vaString:
            return FromAnsi(In.ReadShortString());
        case vaLString:
            return FromAnsi(In.ReadBytes(In.ReadU32()));
        case vaWString:
            return Utf16LEToUtf8(In.ReadBytes(std::size_t{2} * In.ReadU32()));
        case vaUtf8String:
            return ValidUtf8(In.ReadBytes(In.ReadU32()));
        default:
            throw EReadError(InvalidPropertyValue);
        }
    }

    void ReadLines(std::vector<std::string>& lines)
    {
        if (In.ReadU8() != vaList)
            throw EReadError(InvalidPropertyValue);
        lines.clear();
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

void WriteStreamObject(TByteWriter& out, std::string_view resourceName, const TPersistent& object)
{
    out.WriteU8(0xFF);
    out.WriteU8(0x0A);
    out.WriteU8(0x00);
    std::string name(resourceName.substr(0, MaxResourceName));
    for (char& c : name)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    out.WriteBytes(name.data(), name.size() + 1);  // with its terminating zero
    out.WriteU8(0x30);
    out.WriteU8(0x10);
    out.WriteU32(0);
    const std::size_t start = out.Position();
    TStreamWriter(out).WriteObject(object);
    out.PatchU32(start - 4, static_cast<std::uint32_t>(out.Position() - start));
}

void ReadStreamObject(TByteReader& in, TPersistent& object)
{
    TStreamReader(in).ReadObject(object);
}

}  // namespace orvenna::store
