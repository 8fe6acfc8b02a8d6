// libFuzzer target of the settings reader: any bytes load without a crash, and whatever was read
// (all of it, or what came before a failure) writes out and reads back to the same record.

#include "store/errors.h"
#include "store/settings.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using orvenna::store::TCalSetting;
    TCalSetting first;
    try {
        first.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const orvenna::store::EStoreError&) {
        // A damaged file: the properties read before the failure stay.
    }
    const std::string written = first.SaveToBytes();
    TCalSetting second;
    try {
        second.LoadFromBytes(written);
    } catch (const orvenna::store::EStoreError&) {
        std::abort();  // what the writer wrote must read back
    }
    if (!(second == first) || second.SaveToBytes() != written)
        std::abort();
    return 0;
}
