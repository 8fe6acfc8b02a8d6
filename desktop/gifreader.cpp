#include "desktop/gifreader.h"

#include "store/errors.h"
#include "store/filesave.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace orvenna::desktop {

namespace {

struct TByteSource {
    std::span<const std::uint8_t> Data;
    std::size_t Position = 0;
};

int ReadBytes(GifFileType* gif, GifByteType* out, int wanted)
{
    auto* source = static_cast<TByteSource*>(gif->UserData);
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(std::max(wanted, 0)),
                                                    source->Data.size() - source->Position);
    if (count > 0)
        std::memcpy(out, source->Data.data() + source->Position, count);
    source->Position += count;
    return static_cast<int>(count);
}

struct TGifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using TGifFile = std::unique_ptr<GifFileType, TGifCloser>;

[[noreturn]] void Fail(int gifError)
{
    // Our reader fails only at the end of the bytes; giflib's text speaks of a file.
    const char* text = gifError == D_GIF_ERR_READ_FAILED ? "the file ends too early" : GifErrorString(gifError);
    throw TPictureError(std::string("damaged GIF picture: ") + (text ? text : "unknown error"));
}

[[noreturn]] void Fail(const char* text)
{
    throw TPictureError(std::string("damaged GIF picture: ") + text);
}

// Reads one extension record; returns the transparent colour index it sets, or the one given.
int ReadExtension(GifFileType* gif, int transparent)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
        Fail(gif->Error);
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
        GraphicsControlBlock control{};
        if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
            transparent = control.TransparentColor;
    }
    while (block) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            Fail(gif->Error);
    }
    return transparent;
}

// The frame's row numbers in the order the file stores them.
std::vector<int> RowOrder(int height, bool interlaced)
{
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    constexpr int Start[] = {0, 4, 2, 1};
    constexpr int Step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = Start[pass]; y < height; y += Step[pass])
            rows.push_back(y);
    return rows;
}

void ReadFrame(GifFileType* gif, int transparent, TRawPicture& picture)
{
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        Fail(gif->Error);
    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colours)
        Fail("the picture has no colour table");
    if (frame.Width <= 0 || frame.Height <= 0)
        return;
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    for (const int y : RowOrder(frame.Height, frame.Interlace)) {
        if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
            Fail(gif->Error);
        const int row = frame.Top + y;
        if (row >= picture.Height && !frame.Interlace)
            return;  // the rest of the frame lies below the picture; only this frame is shown
        if (row < 0 || row >= picture.Height)
            continue;
        std::uint32_t* out = picture.Pixels.data() + static_cast<std::size_t>(row) * picture.Width;
        for (int x = 0; x < frame.Width; ++x) {
            const int column = frame.Left + x;
            const int index = line[static_cast<std::size_t>(x)];
            if (column < 0 || column >= picture.Width || index == transparent ||
                index >= colours->ColorCount)
                continue;
            const GifColorType& c = colours->Colors[index];
            out[column] = 0xFF000000u | (std::uint32_t{c.Red} << 16) |
                          (std::uint32_t{c.Green} << 8) | c.Blue;
        }
    }
}

}  // namespace

TRawPicture ReadGif(std::span<const std::uint8_t> data, std::int64_t maxPixels)
{
    TByteSource source{data};
    int error = 0;
    const TGifFile gif(DGifOpen(&source, ReadBytes, &error));
    if (!gif)
        Fail(error);
    TRawPicture picture;
    picture.Width = gif->SWidth;
    picture.Height = gif->SHeight;
    if (picture.Width <= 0 || picture.Height <= 0)
        Fail("the picture is 0 pixels wide or high");
    const std::int64_t pixels = static_cast<std::int64_t>(picture.Width) * picture.Height;
    if (pixels > maxPixels)
        Fail("the picture is too large");
    // The pixels and one line of colour indices.
    if (pixels * 4 + picture.Width > MaxDecodeBytes)
        throw TPictureError(TooLargeToDecode);
    // Pixels outside the first frame stay transparent, as they are before any frame is drawn.
    picture.Pixels.assign(static_cast<std::size_t>(picture.Width) * picture.Height, 0u);
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
            Fail(gif->Error);
        if (type == EXTENSION_RECORD_TYPE) {
            transparent = ReadExtension(gif.get(), transparent);
        } else if (type == IMAGE_DESC_RECORD_TYPE) {
            ReadFrame(gif.get(), transparent, picture);
            return picture;
        } else {
            Fail("the file holds no picture");
        }
    }
}

TRawPicture ReadGifFile(const std::string& path, std::int64_t maxPixels)
{
    std::string bytes;
    try {
        bytes = store::ReadWholeFile(path);
    } catch (const store::EStoreError&) {
        throw TPictureError("the picture file cannot be opened");
    }
    return ReadGif({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, maxPixels);
}

}  // namespace orvenna::desktop
