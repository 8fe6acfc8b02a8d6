#pragma once
// Building blocks for the store's tests: component-stream bytes and the check of a failed save.

#include "store/bytecursor.h"
#include "store/errors.h"
#include "store/stream.h"
#include "tests/support/filesizelimit.h"
#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>

namespace orvenna::store::testing {

using orvenna::test::Hex;
using orvenna::test::ReadBytes;
using orvenna::test::Short;
using orvenna::test::TTempFolder;
using orvenna::test::WriteBytes;

// An identifier value: its type byte and the short name.
inline std::string Ident(std::string_view name)
{
    return Hex("07") + Short(name);
}

// Resource header, "TPF0", class name, empty object name, the property records, 00 00.
inline std::string ObjectBytes(std::string_view className, std::string_view records)
{
    std::string body = "TPF0" + Short(className) + std::string(1, '\0') + std::string(records);
    body += std::string(2, '\0');
    std::string header = Hex("FF 0A 00");
    for (char c : className)
        header.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
    header += Hex("00 30 10");
    const auto length = static_cast<std::uint32_t>(body.size());
    for (int i = 0; i < 4; ++i)
        header.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
    return header + body;
}

// The object stream of an object written under its class name, without the header.
inline std::string WrittenBody(const TPersistent& object)
{
    std::string bytes;
    TByteWriter out(bytes);
    WriteStreamObject(out, object.ClassName(), object);
    return bytes.substr(10 + object.ClassName().size());
}

// The reader's message for the bytes read into the object, or "" when they were read whole.
inline std::string ReadMessage(std::string_view bytes, TPersistent& object)
{
    try {
        TByteReader in(bytes);
        ReadStreamObject(in, object);
    } catch (const EStoreError& error) {
        return error.Text();
    }
    return {};
}

// Saves to the folder's only file while no file may grow past `bytes`: the save must fail with
// a write error and leave that file as it was, with nothing beside it.
template <class TSave>
void ExpectFailedSaveKeepsTheFile(const TTempFolder& folder, const std::string& file, rlim_t bytes,
                                  TSave save)
{
    const std::string before = ReadBytes(file);
    try {
        orvenna::test::TFileSizeLimit limit(bytes);
        save(file);
        ADD_FAILURE();
    } catch (const EWriteError& error) {
        EXPECT_EQ(error.Text(), "Stream write error");
    }
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

}  // namespace orvenna::store::testing
