// libFuzzer target of the notes-file reader: any bytes load without a crash, and whatever was
// read writes out and reads back to the same bytes.

#include "store/daypaperlist.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using orvenna::store::TDayPaperList;

TDayPaperList FixedStore()
{
    return TDayPaperList([] { return 39156.0; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TDayPaperList first = FixedStore();
    first.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    first.BuildTodayList();
    for (int i = 0; i < first.Count(); ++i)
        first.FindNextByText("a");

    // A load that stopped early leaves file order; the second load sorts, the third must agree.
    const std::string written = first.SaveToBytes();
    TDayPaperList second = FixedStore();
    if (!second.LoadFromBytes(written).empty())
        std::abort();
    const std::string rewritten = second.SaveToBytes();
    TDayPaperList third = FixedStore();
    if (!third.LoadFromBytes(rewritten).empty() || third.SaveToBytes() != rewritten)
        std::abort();
    return 0;
}
