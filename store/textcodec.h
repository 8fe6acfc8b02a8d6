#pragma once
// Conversions between the program's texts (UTF-8 in std::string) and the text encodings of the
// component stream. Every decoder yields valid UTF-8: a byte sequence or code unit that names no
// character becomes U+FFFD, so a text read from a file can always be written and shown again.

#include <cstddef>
#include <string>
#include <string_view>

namespace orvenna::store {

bool IsAscii(std::string_view text);

// Number of UTF-16 code units of a UTF-8 text (an ill-formed sequence counts as one U+FFFD).
std::size_t Utf16Length(std::string_view utf8);

// UTF-16 little-endian bytes (two per code unit) of a UTF-8 text.
std::string Utf8ToUtf16LE(std::string_view utf8);

// UTF-8 of UTF-16 little-endian bytes; a lone surrogate becomes U+FFFD.
std::string Utf16LEToUtf8(std::string_view utf16le);

// UTF-8 of Windows-1252 bytes. The five bytes the code page leaves undefined map to the C1
// controls of the same value, as the system's converter does.
std::string Cp1252ToUtf8(std::string_view bytes);

// The text itself when it is valid UTF-8, else a copy with each ill-formed sequence (the longest
// start of a well-formed one, or a single stray byte) replaced by one U+FFFD.
std::string ValidUtf8(std::string_view bytes);

}  // namespace orvenna::store
