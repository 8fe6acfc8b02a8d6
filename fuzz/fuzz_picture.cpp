// libFuzzer target for the JPEG and GIF readers: any bytes give a picture or a TPictureError,
// never a crash, a leak or an endless loop. The first byte picks the size the JPEG decoder is
// asked to scale towards, so the DCT scaling paths are reached too.

#include "desktop/gifreader.h"
#include "desktop/jpegreader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace orvenna::desktop;

namespace {

// Small enough that a forged header cannot make the fuzzer run out of memory.
constexpr std::int64_t MaxPixels = 4096LL * 4096LL;

void CheckShape(const TRawPicture& picture)
{
    if (picture.Pixels.size() != static_cast<std::size_t>(picture.Width) * picture.Height)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int divisor = 1 + data[0] % 9;
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    try {
        CheckShape(ReadJpeg(bytes, [divisor](TPixelSize natural) {
            return TPixelSize{natural.Width / divisor, natural.Height / divisor};
        }, MaxPixels));
    } catch (const TPictureError&) {
    }
    try {
        CheckShape(ReadGif(bytes, MaxPixels));
    } catch (const TPictureError&) {
    }
    return 0;
}
