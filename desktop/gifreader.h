#pragma once
// GIF pictures through giflib: the first frame on the logical screen, its transparent colour as
// transparent pixels, interlaced frames de-interlaced. Later frames are ignored.

#include "desktop/rawpicture.h"

#include <cstdint>
#include <span>
#include <string>

namespace orvenna::desktop {

// Throws TPictureError for a missing, damaged or truncated file, a file without any frame,
// a frame without colour table, a logical screen without pixels or of more than maxPixels
// pixels, and one that needs more than MaxDecodeBytes.
TRawPicture ReadGifFile(const std::string& path, std::int64_t maxPixels = DefaultMaxPixels);
TRawPicture ReadGif(std::span<const std::uint8_t> data, std::int64_t maxPixels = DefaultMaxPixels);

}  // namespace orvenna::desktop
