#pragma once
// GIF pictures through giflib: the first frame on the logical screen, its transparent colour as
// transparent pixels, interlaced frames de-interlaced. Later frames are ignored.

#include "desktop/rawpicture.h"

#include <cstdint>
#include <span>
#include <string>

namespace orvenna::desktop {

// Throws TPictureError for a missing, damaged or truncated file, a file without any frame,
// a frame without colour table and more than maxPixels pixels on the logical screen.
TRawPicture ReadGifFile(const std::string& path, std::int64_t maxPixels = DefaultMaxPixels);
TRawPicture ReadGif(std::span<const std::uint8_t> data, std::int64_t maxPixels = DefaultMaxPixels);

}  // namespace orvenna::desktop
