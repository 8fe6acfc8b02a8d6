#pragma once
// The component stream: objects written as a resource header, "TPF0" and a record of
// (property path, typed value) pairs, driven by the classes' property tables (properties.h).
//
// Serialising only: both functions work on bytes in memory; files are the callers' concern.

#include "store/bytecursor.h"
#include "store/properties.h"

#include <limits>
#include <string_view>

namespace orvenna::store {

static_assert(std::numeric_limits<long double>::digits == 64,
              "dates are streamed as x87 80-bit extended values");

inline constexpr std::string_view StreamSignature = "TPF0";

// Appends the resource header (name cut to 63 characters and upper-cased), the object stream
// and fixes up the header's length field. Writes the stored properties that do not hold their
// default value, in table order.
void WriteStreamObject(TByteWriter& out, std::string_view resourceName, const TPersistent& object);

// Reads one resource header and object stream into an existing object, leaving the reader right
// after the object's last byte. The class name in the stream is not compared with the object's.
// Throws EReadError with the reader's texts; a failure while reading a property is wrapped in
// "Error reading <object>.<path>: <inner>", once more per enclosing collection. The object keeps
// every value read before a failure.
void ReadStreamObject(TByteReader& in, TPersistent& object);

// Value tags of the stream.
enum TValueTag : std::uint8_t {
    vaNull = 0x00,
    vaList = 0x01,
    vaInt8 = 0x02,
    vaInt16 = 0x03,
    vaInt32 = 0x04,
    vaExtended = 0x05,
    vaString = 0x06,
    vaIdent = 0x07,
    vaFalse = 0x08,
    vaTrue = 0x09,
    vaBinary = 0x0A,
    vaSet = 0x0B,
    vaLString = 0x0C,
    vaNil = 0x0D,
    vaCollection = 0x0E,
    vaSingle = 0x0F,
    vaCurrency = 0x10,
    vaDate = 0x11,
    vaWString = 0x12,
    vaInt64 = 0x13,
    vaUtf8String = 0x14,
};

}  // namespace orvenna::store
