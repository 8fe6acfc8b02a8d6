#pragma once
// One reader and one writer of little-endian bytes. Every read checks the bytes left first, so
// a length or count from a file can never point past the data: running short raises
// EReadError "Stream read error" before anything is allocated.
//
// A reader can also stand on one block of a longer input: running short of such a block raises
// TNeedMoreBytes instead, and the caller reads on and repeats the read from where it started
// with more bytes. Only the last block of the input runs short with the error.

#include "store/errors.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace orvenna::store {

// A read went past a block that is not the end of its input. Not a failure of the data, so no
// EStoreError: nothing may catch it on the way but the code that reads more.
struct TNeedMoreBytes {};

class TByteReader final {
public:
    // moreFollows: the data is one block of a longer input.
    explicit TByteReader(std::string_view data, bool moreFollows = false)
        : Begin(reinterpret_cast<const std::uint8_t*>(data.data())), Pos(Begin),
          End(Begin + data.size()), MoreFollows(moreFollows)
    {
    }

    std::size_t Position() const { return static_cast<std::size_t>(Pos - Begin); }
    std::size_t Remaining() const { return static_cast<std::size_t>(End - Pos); }
    bool AtEnd() const { return Pos == End; }

    // Fails unless at least count bytes are left.
    void Need(std::size_t count) const
    {
        if (count > Remaining()) [[unlikely]]
            RunShort();
    }

    std::uint8_t Peek() const
    {
        Need(1);
        return *Pos;
    }

    std::uint8_t ReadU8()
    {
        Need(1);
        return *Pos++;
    }

    std::int8_t ReadI8() { return static_cast<std::int8_t>(ReadU8()); }
    std::int16_t ReadI16() { return static_cast<std::int16_t>(ReadLE<std::uint16_t>()); }
    std::int32_t ReadI32() { return static_cast<std::int32_t>(ReadLE<std::uint32_t>()); }
    std::uint32_t ReadU32() { return ReadLE<std::uint32_t>(); }
    std::int64_t ReadI64() { return static_cast<std::int64_t>(ReadLE<std::uint64_t>()); }

    // A view of the next count bytes, valid as long as the underlying data.
    std::string_view ReadBytes(std::size_t count)
    {
        Need(count);
        const std::string_view bytes(reinterpret_cast<const char*>(Pos), count);
        Pos += count;
        return bytes;
    }

    // Up to count bytes ahead, without consuming them; fewer only at the end of the input.
    std::string_view PeekBytes(std::size_t count) const
    {
        if (MoreFollows && count > Remaining())
            throw TNeedMoreBytes{};
        return {reinterpret_cast<const char*>(Pos), std::min(count, Remaining())};
    }

    // All the bytes at hand, without consuming them; in a block, the rest of the block.
    std::string_view PeekAvailable() const
    {
        return {reinterpret_cast<const char*>(Pos), Remaining()};
    }

    void Skip(std::size_t count)
    {
        Need(count);
        Pos += count;
    }

    // One length byte and that many bytes.
    std::string_view ReadShortString() { return ReadBytes(ReadU8()); }

private:
    [[noreturn, gnu::cold, gnu::noinline]] void RunShort() const
    {
        if (MoreFollows)
            throw TNeedMoreBytes{};
        throw EReadError(StreamReadError);
    }

    template <typename T>
    T ReadLE()
    {
        Need(sizeof(T));
        T value = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            value |= static_cast<T>(static_cast<T>(Pos[i]) << (8 * i));
        Pos += sizeof(T);
        return value;
    }

    const std::uint8_t* Begin;
    const std::uint8_t* Pos;
    const std::uint8_t* End;
    bool MoreFollows;
};

// The encodings of a writer of little-endian bytes; TTarget supplies Append(data, count).
template <class TTarget>
class TLittleEndianWriter {
public:
    void WriteU8(std::uint8_t value)
    {
        const char c = static_cast<char>(value);
        Target().Append(&c, 1);
    }
    void WriteI16(std::int16_t value) { WriteLE(static_cast<std::uint16_t>(value)); }
    void WriteI32(std::int32_t value) { WriteLE(static_cast<std::uint32_t>(value)); }
    void WriteU32(std::uint32_t value) { WriteLE(value); }
    void WriteBytes(std::string_view bytes) { Target().Append(bytes.data(), bytes.size()); }
    void WriteBytes(const void* data, std::size_t count)
    {
        Target().Append(static_cast<const char*>(data), count);
    }

    // A short string of the concatenated parts, cut to its first 255 bytes.
    void WriteShortString(std::string_view a, std::string_view b = {}, std::string_view c = {})
    {
        std::size_t left = 255;
        const std::size_t total = std::min(left, a.size() + b.size() + c.size());
        WriteU8(static_cast<std::uint8_t>(total));
        for (std::string_view part : {a, b, c}) {
            const std::size_t take = std::min(left, part.size());
            Target().Append(part.data(), take);
            left -= take;
        }
    }

protected:
    static void EncodeU32(char* raw, std::uint32_t value)
    {
        for (std::size_t i = 0; i < 4; ++i)
            raw[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }

private:
    TTarget& Target() { return static_cast<TTarget&>(*this); }

    template <typename T>
    void WriteLE(T value)
    {
        char raw[sizeof(T)];
        for (std::size_t i = 0; i < sizeof(T); ++i)
            raw[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        Target().Append(raw, sizeof(T));
    }
};

// Appends to a byte string held by the caller.
class TByteWriter final : public TLittleEndianWriter<TByteWriter> {
public:
    explicit TByteWriter(std::string& target) : Bytes(target) {}

    std::size_t Position() const { return Bytes.size(); }

    // Overwrites four bytes written earlier.
    void PatchU32(std::size_t position, std::uint32_t value) { EncodeU32(&Bytes[position], value); }

    void Append(const char* data, std::size_t count) { Bytes.append(data, count); }

private:
    std::string& Bytes;
};

}  // namespace orvenna::store
