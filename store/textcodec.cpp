#include "store/textcodec.h"

#include <cstdint>
#include <cstring>

namespace orvenna::store {
namespace {

constexpr char32_t Replacement = 0xFFFD;
constexpr char32_t Invalid = 0xFFFFFFFF;

// Decodes one scalar value at text[pos] and advances pos. Ill-formed input (overlong forms,
// surrogates, values past U+10FFFF, truncated sequences, stray bytes) yields Invalid and advances
// past the longest start of a well-formed sequence, at least one byte, so that each ill-formed
// sequence stands for one replacement character.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos)
{
    const std::uint8_t lead = static_cast<std::uint8_t>(text[pos++]);
    if (lead < 0x80)
        return lead;
    int extra = 0;
    char32_t value = 0;
    // The second byte's range excludes overlong forms, surrogates and values past U+10FFFF.
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, value = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, value = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return Invalid;
    }
    for (int i = 0; i < extra; ++i) {
        if (pos >= text.size())
            return Invalid;
        const std::uint8_t next = static_cast<std::uint8_t>(text[pos]);
        if (next < low || next > high)
            return Invalid;
        value = (value << 6) | (next & 0x3F);
        low = 0x80, high = 0xBF;
        ++pos;
    }
    return value;
}

// The scalar value at text[pos], U+FFFD for an ill-formed sequence.
char32_t NextScalar(std::string_view text, std::size_t& pos)
{
    const char32_t c = DecodeUtf8(text, pos);
    return c == Invalid ? Replacement : c;
}

// Puts the UTF-8 bytes of a scalar value at out and returns the end of them.
char* PutUtf8(char* out, char32_t c)
{
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t c)
{
    char bytes[4];
    out.append(bytes, static_cast<std::size_t>(PutUtf8(bytes, c) - bytes));
}

void AppendUtf16LE(std::string& out, char16_t unit)
{
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

}  // namespace

namespace {

// The length of the run of ASCII bytes at the start of the text, looked at eight bytes at a time.
std::size_t AsciiPrefix(std::string_view text)
{
    constexpr std::uint64_t HighBits = 0x8080808080808080u;
    std::size_t pos = 0;
    for (std::uint64_t word; pos + 8 <= text.size(); pos += 8) {
        std::memcpy(&word, text.data() + pos, 8);
        if (word & HighBits)
            break;
    }
    while (pos < text.size() && static_cast<std::uint8_t>(text[pos]) < 0x80)
        ++pos;
    return pos;
}

}  // namespace

bool IsAscii(std::string_view text)
{
    return AsciiPrefix(text) == text.size();
}

std::size_t Utf16Length(std::string_view utf8)
{
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < utf8.size();)
        units += NextScalar(utf8, pos) >= 0x10000 ? 2 : 1;
    return units;
}

std::string Utf8ToUtf16LE(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size() * 2);
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t c = NextScalar(utf8, pos);
        if (c >= 0x10000) {
            AppendUtf16LE(out, static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            AppendUtf16LE(out, static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            AppendUtf16LE(out, static_cast<char16_t>(c));
        }
    }
    return out;
}

std::string Utf16LEToUtf8(std::string_view utf16le)
{
    const std::size_t count = utf16le.size() / 2;
    const auto unit = [&](std::size_t i) -> char16_t {
        return static_cast<char16_t>(static_cast<std::uint8_t>(utf16le[2 * i]) |
                                     static_cast<std::uint8_t>(utf16le[2 * i + 1]) << 8);
    };
    // A unit takes at most three bytes, a pair of units four.
    std::string out(3 * count, '\0');
    char* end = out.data();
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) <= 0xDFFF) {
            end = PutUtf8(end, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                                   (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            end = PutUtf8(end, Replacement);
        } else {
            end = PutUtf8(end, u);
        }
    }
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

std::string Cp1252ToUtf8(std::string_view bytes)
{
    // 0x80..0x9F; the rest of the upper half equals Latin-1.
    static constexpr char16_t High[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (IsAscii(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (const char c : bytes) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b < 0x80)
            out.push_back(c);
        else
            AppendUtf8(out, b < 0xA0 ? High[b - 0x80] : b);
    }
    return out;
}

std::string ValidUtf8(std::string_view bytes)
{
    std::size_t pos = 0;
    std::size_t valid = 0;  // length of the well-formed start
    while (pos < bytes.size()) {
        pos += AsciiPrefix(bytes.substr(pos));
        valid = pos;
        if (pos == bytes.size() || DecodeUtf8(bytes, pos) == Invalid)
            break;
        valid = pos;
    }
    if (valid == bytes.size())
        return std::string(bytes);
    std::string out(bytes.substr(0, valid));
    for (pos = valid; pos < bytes.size();)
        AppendUtf8(out, NextScalar(bytes, pos));
    return out;
}

}  // namespace orvenna::store
