#pragma once

// The picture files publishing writes: what browsers show as it is, drawings of the platform's
// contexts as images, and the image formats written.

#include <QImage>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/gdi.h"

class CPicture;

namespace tessel::publish {

// True when the file holds a picture every browser shows as it is: PNG, GIF, JPEG, BMP or
// WebP, told by the first bytes of the file (a browser tells an image by its bytes, whatever
// its name). False for anything else, and for a file that cannot be read.
bool IsBrowserImage(const std::string& strPath);

// A white drawing of the size given, drawn by draw through a memory context; nothing when
// the size is not positive, larger than 16384 a side or 64 M pixels, or memory runs out.
std::optional<QImage> DrawToImage(int nWidth, int nHeight, const std::function<void(CDC*)>& draw);

// The picture drawn at its natural size on white, written as a PNG file.
bool SavePicturePng(const CPicture& picture, const std::string& strPath);

// The extensions SaveImage writes the format of ("gif", "png", "bmp", "jpg", "jpeg").
bool IsWritableImageExtension(std::string_view ext);

// Writes the image in the format the extension names (one IsWritableImageExtension accepts).
bool SaveImage(const QImage& image, const std::string& strPath, std::string_view ext);

}  // namespace tessel::publish
