#pragma once
// What the picture readers that need no Qt hand back: plain pixels in memory, so that the fuzz
// build can compile those readers without the rest of the program.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

namespace orvenna::desktop {

struct TPixelSize {
    int Width = 0;
    int Height = 0;
};

// Width x Height pixels, rows top to bottom, each pixel one premultiplied 0xAARRGGBB word
// (QImage::Format_ARGB32_Premultiplied). Width or Height 0: a picture without pixels.
// Rows First to Last - 1 of a picture.
struct TRowSpan {
    int First = 0;
    int Last = 0;
};

struct TRawPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;
    // When the reader delivered only some rows: Pixels are rows FirstRow to FirstRow + Height - 1
    // of a picture WholeHeight rows high. WholeHeight 0: the whole picture.
    int FirstRow = 0;
    int WholeHeight = 0;
};

// A picture file that is missing, damaged or not what its name says. what() is plain text
// for the user (UTF-8).
class TPictureError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Given the picture's own size, the smallest size the caller will show it at. A reader that can
// scale while decoding may return any size from that up to the picture's own size.
using TTargetSize = std::function<TPixelSize(TPixelSize natural)>;

// Given the size the picture is decoded at, the rows the caller will use; a reader may deliver
// only those. Rows beyond the picture are ignored.
using TNeededRows = std::function<TRowSpan(TPixelSize decoded)>;

// Pictures above this many pixels are refused before anything is allocated for them.
inline constexpr std::int64_t DefaultMaxPixels = 16384LL * 16384LL;

// Pictures whose decoding would need more memory than this, the decoder's own buffers and the
// pixels handed back together, are refused with TooLargeToDecode before it is allocated.
inline constexpr std::int64_t MaxDecodeBytes = 512LL * 1024 * 1024;
inline constexpr const char* TooLargeToDecode =
    "the picture is too large: decoding it would need more than 512 MiB of memory";

}  // namespace orvenna::desktop
