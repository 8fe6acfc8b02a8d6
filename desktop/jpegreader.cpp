#include "desktop/jpegreader.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>

// jpeglib.h needs FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace orvenna::desktop {

namespace {

// A progressive file may hold any number of scans, each one a pass over the whole picture;
// a few bytes can declare thousands of them.
constexpr int MaxScans = 1000;

// libjpeg reports fatal errors through error_exit and expects it never to return; the default
// one ends the process. Ours jumps back into Decode, which turns the message into an exception.
struct TErrorManager {
    jpeg_error_mgr Base;  // first, so that cinfo->err can be cast back
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
    bool TooLarge;  // the message is TooLargeToDecode, not damage
};

[[noreturn]] void JumpWithMessage(j_common_ptr cinfo, const char* message)
{
    auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
    if (message)
        std::snprintf(err->Message, sizeof err->Message, "%s", message);
    else
        (*cinfo->err->format_message)(cinfo, err->Message);
    std::longjmp(err->Jump, 1);
}

[[noreturn]] void JumpTooLarge(j_common_ptr cinfo)
{
    reinterpret_cast<TErrorManager*>(cinfo->err)->TooLarge = true;
    JumpWithMessage(cinfo, TooLargeToDecode);
}

[[noreturn]] void OnError(j_common_ptr cinfo)
{
    // Past the memory limit libjpeg asks for a backing store, which this build has none of.
    if (cinfo->err->msg_code == JERR_NO_BACKING_STORE)
        JumpTooLarge(cinfo);
    JumpWithMessage(cinfo, nullptr);
}

void OnMessage(j_common_ptr cinfo, int level)
{
    // A truncated file is only a warning to libjpeg, which pads it with grey; the user would
    // see a half-grey desktop without knowing why.
    if (level == -1 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        JumpWithMessage(cinfo, nullptr);
}

void OnProgress(j_common_ptr cinfo)
{
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > MaxScans)
        JumpWithMessage(cinfo, "too many progressive scans");
}

TPixelSize NaturalSize(const jpeg_decompress_struct& cinfo)
{
    return {static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height)};
}

int CeilEighths(int length, int numerator)
{
    return static_cast<int>((static_cast<std::int64_t>(length) * numerator + 7) / 8);
}

// Adobe writes CMYK inverted (255 = no ink), which is what libjpeg hands back.
void CmykRowToArgb(const JSAMPLE* cmyk, std::uint32_t* out, JDIMENSION width)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
        const unsigned k = cmyk[3];
        const unsigned r = cmyk[0] * k / 255, g = cmyk[1] * k / 255, b = cmyk[2] * k / 255;
        out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
}

void ChooseOutput(jpeg_decompress_struct& cinfo, const TTargetSize& target, std::int64_t maxPixels)
{
    const TPixelSize natural = NaturalSize(cinfo);
    if (static_cast<std::int64_t>(natural.Width) * natural.Height > maxPixels)
        JumpWithMessage(reinterpret_cast<j_common_ptr>(&cinfo), "the picture is too large");
    cinfo.scale_num = target ? JpegScaleNumerator(natural, target(natural)) : 8;
    cinfo.scale_denom = 8;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;  // BGRA bytes are 0xAARRGGBB words

    // The pixels handed back (and a CMYK row) come first; libjpeg's memory manager gets the
    // rest of the budget and fails beyond it instead of allocating.
    jpeg_calc_output_dimensions(&cinfo);
    const std::int64_t width = cinfo.output_width;
    const std::int64_t ours = width * cinfo.output_height * 4 + (cmyk ? width * 4 : 0);
    if (ours >= MaxDecodeBytes)
        JumpTooLarge(reinterpret_cast<j_common_ptr>(&cinfo));
    cinfo.mem->max_memory_to_use = static_cast<long>(MaxDecodeBytes - ours);
}

// Everything between setjmp and the last libjpeg call stays in this one frame with trivially
// destructible locals, so the jump skips no destructor; picture and cmykRow are made before.
void Decode(jpeg_decompress_struct& cinfo, const std::function<void(j_decompress_ptr)>& setSource,
            const TTargetSize& target, std::int64_t maxPixels, const TRowSpan& band,
            TRawPicture& picture, std::unique_ptr<JSAMPLE[]>& cmykRow)
{
    TErrorManager err{};
    cinfo.err = jpeg_std_error(&err.Base);
    err.Base.error_exit = OnError;
    err.Base.emit_message = OnMessage;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = OnProgress;
    if (setjmp(err.Jump)) {
        jpeg_destroy_decompress(&cinfo);
        if (err.TooLarge)
            throw TPictureError(err.Message);
        throw TPictureError(std::string("damaged JPEG picture: ") + err.Message);
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    setSource(&cinfo);
    jpeg_read_header(&cinfo, TRUE);
    ChooseOutput(cinfo, target, maxPixels);
    jpeg_start_decompress(&cinfo);
    picture.Width = static_cast<int>(cinfo.output_width);
    picture.WholeHeight = static_cast<int>(cinfo.output_height);
    picture.FirstRow = std::clamp(band.First, 0, picture.WholeHeight);
    const auto last = static_cast<JDIMENSION>(std::clamp(band.Last, picture.FirstRow, picture.WholeHeight));
    picture.Height = static_cast<int>(last) - picture.FirstRow;
    try {
        picture.Pixels.resize(static_cast<std::size_t>(picture.Width) * picture.Height);
        if (cinfo.out_color_space == JCS_CMYK)
            cmykRow.reset(new JSAMPLE[static_cast<std::size_t>(cinfo.output_width) * 4]);
    } catch (const std::bad_alloc&) {
        jpeg_destroy_decompress(&cinfo);
        throw TPictureError("the picture is too large for the memory");
    }
    if (picture.FirstRow > 0 && picture.Height > 0)
        jpeg_skip_scanlines(&cinfo, static_cast<JDIMENSION>(picture.FirstRow));
    while (cinfo.output_scanline < last && picture.Height > 0) {
        const std::size_t index = cinfo.output_scanline - static_cast<JDIMENSION>(picture.FirstRow);
        auto* line = picture.Pixels.data() + index * static_cast<std::size_t>(picture.Width);
        JSAMPROW row = cmykRow ? cmykRow.get() : reinterpret_cast<JSAMPROW>(line);
        jpeg_read_scanlines(&cinfo, &row, 1);
        if (cmykRow)
            CmykRowToArgb(cmykRow.get(), line, cinfo.output_width);
    }
    if (cinfo.output_scanline == cinfo.output_height)
        jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);  // also ends a decoding stopped after the band
}

TRawPicture DecodeFrom(const std::function<void(j_decompress_ptr)>& setSource,
                       const TTargetSize& target, std::int64_t maxPixels, const TNeededRows& rows)
{
    jpeg_decompress_struct cinfo{};
    TRawPicture picture;
    std::unique_ptr<JSAMPLE[]> cmykRow;
    // The rows wanted depend on the decoded size, which the scale chosen for the target fixes;
    // they are worked out when the decoder asks for the target.
    TRowSpan band{0, std::numeric_limits<int>::max()};
    TTargetSize sizing = target;
    if (rows) {
        sizing = [&](TPixelSize natural) {
            const TPixelSize wanted = target ? target(natural) : natural;
            const int eighths = JpegScaleNumerator(natural, wanted);
            band = rows({CeilEighths(natural.Width, eighths), CeilEighths(natural.Height, eighths)});
            return wanted;
        };
    }
    Decode(cinfo, setSource, sizing, maxPixels, band, picture, cmykRow);
    if (picture.WholeHeight == picture.Height && picture.FirstRow == 0)
        picture.WholeHeight = 0;
    return picture;
}

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

int JpegScaleNumerator(TPixelSize natural, TPixelSize target)
{
    for (int numerator = 1; numerator < 8; ++numerator) {
        if (CeilEighths(natural.Width, numerator) >= target.Width &&
            CeilEighths(natural.Height, numerator) >= target.Height)
            return numerator;
    }
    return 8;
}

TRawPicture ReadJpeg(std::span<const std::uint8_t> data, const TTargetSize& target,
                     std::int64_t maxPixels, const TNeededRows& rows)
{
    if (data.empty())
        throw TPictureError("damaged JPEG picture: the file is empty");
    return DecodeFrom(
        [&](j_decompress_ptr cinfo) {
            jpeg_mem_src(cinfo, data.data(), static_cast<unsigned long>(data.size()));
        },
        target, maxPixels, rows);
}

TRawPicture ReadJpegFile(const std::string& path, const TTargetSize& target, std::int64_t maxPixels,
                         const TNeededRows& rows)
{
    const std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw TPictureError("the picture file cannot be opened");
    return DecodeFrom([&](j_decompress_ptr cinfo) { jpeg_stdio_src(cinfo, file.get()); }, target,
                      maxPixels, rows);
}

}  // namespace orvenna::desktop
