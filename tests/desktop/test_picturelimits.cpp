// The GIF and JPEG readers on hostile files: empty ones, pictures without pixels, and a few
// bytes that declare a picture too large to decode.

#include "desktop/gifreader.h"
#include "desktop/jpegreader.h"
#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>

#include <jpeglib.h>

namespace orvenna::desktop {
namespace {

using orvenna::test::Hex;
using TBytes = std::vector<std::uint8_t>;

TBytes Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

// A GIF of one 1 x 1 frame on a logical screen of the given size (little-endian words).
TBytes Gif(const char* screenSize)
{
    return Bytes(std::string("GIF89a") + Hex(screenSize) + Hex("80 00 00  00 00 00 FF FF FF") +
                 Hex("2C 00 00 00 00 01 00 01 00 00  02 02 44 01 00  3B"));
}

// A 16 x 16 grey JPEG whose frame header then declares width x height.
TBytes Jpeg(bool progressive, int width, int height)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = 16;
    cinfo.image_height = 16;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(16 * 3, 128);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    TBytes bytes(buffer, buffer + size);
    std::free(buffer);
    for (std::size_t i = 0; i + 9 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
            bytes[i + 5] = static_cast<std::uint8_t>(height >> 8);
            bytes[i + 6] = static_cast<std::uint8_t>(height & 0xFF);
            bytes[i + 7] = static_cast<std::uint8_t>(width >> 8);
            bytes[i + 8] = static_cast<std::uint8_t>(width & 0xFF);
            break;
        }
    }
    return bytes;
}

TPixelSize Eighth(TPixelSize natural)
{
    return {natural.Width / 8, natural.Height / 8};
}

// The reader's message, or "" when it read a picture.
std::string Failure(const std::function<TRawPicture()>& read)
{
    try {
        const TRawPicture picture = read();
        EXPECT_GT(picture.Width, 0);
        EXPECT_GT(picture.Height, 0);
    } catch (const TPictureError& error) {
        return error.what();
    }
    return {};
}

TEST(PictureLimits, HostileFilesGetAClearMessage)
{
    const std::string tooLarge =
        "the picture is too large: decoding it would need more than 512 MiB of memory";
    const TBytes gif16k = Gif("00 40 00 40");
    const TBytes baseline16k = Jpeg(false, 16384, 16384);
    const TBytes progressive16k = Jpeg(true, 16384, 16384);
    const struct {
        const char* What;
        std::function<TRawPicture()> Read;
        std::string Message;  // "" for a picture read
    } cases[] = {
        {"a GIF", [] { return ReadGif(Gif("01 00 01 00")); }, ""},
        {"an empty GIF", [] { return ReadGif({}); },
         "damaged GIF picture: the file ends too early"},
        {"a GIF of a 0 x 0 screen", [] { return ReadGif(Gif("00 00 00 00")); },
         "damaged GIF picture: the picture is 0 pixels wide or high"},
        {"a GIF of a 0 x 1 screen", [] { return ReadGif(Gif("00 00 01 00")); },
         "damaged GIF picture: the picture is 0 pixels wide or high"},
        {"a 35-byte GIF of 16384 x 16384", [&] { return ReadGif(gif16k); }, tooLarge},
        {"a JPEG of 16384 x 16384 at full size", [&] { return ReadJpeg(baseline16k); }, tooLarge},
        {"a progressive JPEG of 16384 x 16384 at an eighth",
         [&] { return ReadJpeg(progressive16k, Eighth); }, tooLarge},
        {"a progressive JPEG", [] { return ReadJpeg(Jpeg(true, 16, 16)); }, ""},
    };
    EXPECT_EQ(gif16k.size(), 35u);
    for (const auto& c : cases)
        EXPECT_EQ(Failure(c.Read), c.Message) << c.What;

    // A large baseline JPEG decoded at an eighth needs only its rows: not refused for its size.
    EXPECT_EQ(Failure([&] { return ReadJpeg(baseline16k, Eighth); }).find("512 MiB"),
              std::string::npos);
}

}  // namespace
}  // namespace orvenna::desktop
