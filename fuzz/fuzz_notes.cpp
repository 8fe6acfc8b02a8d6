// libFuzzer target of the notes-file reader: any bytes load without a crash, read from a file in
// small blocks they load as read at once, and whatever was read writes out and reads back to the
// same bytes.

#include "store/daypaperlist.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace {

using orvenna::store::TDayPaperList;

TDayPaperList FixedStore()
{
    return TDayPaperList([] { return 39156.0; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TDayPaperList first = FixedStore();
    const std::string error = first.LoadFromBytes(bytes);

    // The file reader stops wherever a block ends and starts the paper again with more bytes.
    const int fd = ::memfd_create("notes", MFD_CLOEXEC);
    if (fd >= 0) {
        if (::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size())) {
            TDayPaperList blocks = FixedStore();
            blocks.SetReadBlockSize(1 + size % 61);
            blocks.LoadFromFile("/proc/self/fd/" + std::to_string(fd));
            if (blocks.LoadError() != error || blocks.SaveToBytes() != first.SaveToBytes())
                std::abort();
        }
        ::close(fd);
    }

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
