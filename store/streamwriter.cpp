#include "store/stream.h"

#include "store/textcodec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace orvenna::store {
namespace {

constexpr std::size_t MaxResourceName = 63;

// Most pieces are a few bytes long: these are copied by fixed-size moves that stay inside both
// ranges (two overlapping ones where the length is between two sizes) rather than by a call.
inline void CopyBytes(char* to, const char* from, std::size_t count)
{
    if (count >= 8 && count <= 16) {
        std::memcpy(to, from, 8);
        std::memcpy(to + count - 8, from + count - 8, 8);
    } else if (count >= 4 && count < 8) {
        std::memcpy(to, from, 4);
        std::memcpy(to + count - 4, from + count - 4, 4);
    } else if (count > 0 && count < 4) {
        to[0] = from[0];
        to[count / 2] = from[count / 2];
        to[count - 1] = from[count - 1];
    } else if (count > 16) {
        std::memcpy(to, from, count);
    }
}

// The bytes of one object, gathered in a buffer of its own and handed to the caller's writer in
// one piece: most writes are a byte or a few, and here they are a store and a compare.
class TObjectBytes final : public TLittleEndianWriter<TObjectBytes> {
public:
    std::size_t Position() const { return static_cast<std::size_t>(End - Data.get()); }
    std::string_view View() const { return {Data.get(), Position()}; }
    // Empties the buffer; one that a large object grew past a mebibyte is let go.
    void Clear()
    {
        if (Limit - Data.get() > (1 << 20)) {
            Data.reset();
            Limit = nullptr;
        }
        End = Data.get();
    }

    void PatchU32(std::size_t position, std::uint32_t value) { EncodeU32(Data.get() + position, value); }

    void Append(const char* data, std::size_t count)
    {
        Reserve(count);
        CopyBytes(End, data, count);
        End += count;
    }

    // The writer's short string with one check of the room left instead of one per part.
    void WriteShortString(std::string_view a, std::string_view b = {}, std::string_view c = {})
    {
        Reserve(256);
        std::size_t left = 255;
        const std::size_t total = std::min(left, a.size() + b.size() + c.size());
        *End++ = static_cast<char>(total);
        for (std::string_view part : {a, b, c}) {
            const std::size_t take = std::min(left, part.size());
            CopyBytes(End, part.data(), take);
            End += take;
            left -= take;
        }
    }

private:
    void Reserve(std::size_t count)
    {
        if (static_cast<std::size_t>(Limit - End) < count) [[unlikely]]
            Grow(count);
    }

    [[gnu::noinline]] void Grow(std::size_t count)
    {
        const std::size_t used = Position();
        const std::size_t size = std::max<std::size_t>(4096, 2 * (used + count));
        auto bigger = std::make_unique<char[]>(size);
        if (used > 0)
            std::memcpy(bigger.get(), Data.get(), used);
        Data = std::move(bigger);
        End = Data.get() + used;
        Limit = Data.get() + size;
    }

    std::unique_ptr<char[]> Data;
    char* End = nullptr;
    char* Limit = nullptr;
};

class TStreamWriter final {
public:
    explicit TStreamWriter(TObjectBytes& out) : Out(out) {}

    void WriteObject(const TPersistent& object)
    {
        Out.WriteBytes(StreamSignature);
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

    TObjectBytes& Out;
};

}  // namespace

void WriteStreamObject(TByteWriter& out, std::string_view resourceName, const TPersistent& object)
{
    thread_local TObjectBytes bytes;
    bytes.Clear();
    bytes.WriteU8(0xFF);
    bytes.WriteU8(0x0A);
    bytes.WriteU8(0x00);
    for (char c : resourceName.substr(0, MaxResourceName))
        bytes.WriteU8(static_cast<std::uint8_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
    bytes.WriteU8(0x00);  // the name's terminating zero
    bytes.WriteU8(0x30);
    bytes.WriteU8(0x10);
    bytes.WriteU32(0);
    const std::size_t start = bytes.Position();
    TStreamWriter(bytes).WriteObject(object);
    bytes.PatchU32(start - 4, static_cast<std::uint32_t>(bytes.Position() - start));
    out.WriteBytes(bytes.View());
    bytes.Clear();
}

}  // namespace orvenna::store
