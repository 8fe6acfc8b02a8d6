#pragma once
// JPEG pictures through libjpeg. Baseline and progressive, grey, YCbCr and (Adobe) CMYK.

#include "desktop/rawpicture.h"

#include <cstdint>
#include <span>
#include <string>

namespace orvenna::desktop {

// Decodes a whole JPEG file. When target is given and asks for less than the picture's own
// size, the decoder scales down in the DCT domain (by eighths) to the smallest size that is
// still at least the target in both directions; the caller scales the rest.
// Throws TPictureError for a missing, damaged or truncated file, for more than maxPixels
// pixels, for a picture whose decoding needs more than MaxDecodeBytes (libjpeg's own buffers
// counted: a progressive file keeps its coefficients at full size even when scaled) and for an
// endless progressive file; never ends the process.
// With rows given, only those rows of the decoded picture are kept (the ones above them are
// skipped without colour conversion, the ones below are not decoded at all), so a caller that
// shows a strip of a large picture never holds the rest; damage below the strip goes unseen.
TRawPicture ReadJpegFile(const std::string& path, const TTargetSize& target = {},
                         std::int64_t maxPixels = DefaultMaxPixels, const TNeededRows& rows = {});
TRawPicture ReadJpeg(std::span<const std::uint8_t> data, const TTargetSize& target = {},
                     std::int64_t maxPixels = DefaultMaxPixels, const TNeededRows& rows = {});

// The DCT scale (numerator over 8, 1..8) that gives the smallest size still at least target.
int JpegScaleNumerator(TPixelSize natural, TPixelSize target);

}  // namespace orvenna::desktop
