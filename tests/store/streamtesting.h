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
using orvenna::test::ObjectBytes;
using orvenna::test::ReadBytes;
using orvenna::test::Short;
using orvenna::test::TTempFolder;
using orvenna::test::WriteBytes;

// An identifier value: its type byte and the short name.
inline std::string Ident(std::string_view name)
{
    return Hex("07") + Short(name);
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
