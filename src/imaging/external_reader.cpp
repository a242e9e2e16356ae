#include "imaging/external_reader.h"

#include <magick/api.h>

#include <cctype>
#include <cstring>
#include <mutex>

namespace tessel::imaging {
namespace {

constexpr unsigned long kMaxSide = 16384;
constexpr unsigned long kMaxPixels = 64ul * 1024 * 1024;
constexpr std::size_t kMaxFileBytes = 256u * 1024 * 1024;

// The file's extension, letters and digits only, to tell the library formats without a
// signature of their own (TGA).
std::string Extension(const std::string& strPath) {
    size_t nSlash = strPath.find_last_of("/\\");
    size_t nDot = strPath.find_last_of('.');
    if (nDot == std::string::npos || (nSlash != std::string::npos && nDot < nSlash)) return {};
    std::string ext;
    for (char c : strPath.substr(nDot + 1)) {
        if (!std::isalnum(static_cast<unsigned char>(c)) || ext.size() >= 8) return {};
        ext += c;
    }
    return ext;
}

// The library is set up once per process, with limits that keep a hostile file from
// asking for more memory than a page could ever need.
void InitializeOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        InitializeMagick(nullptr);
        SetMagickResourceLimit(WidthResource, kMaxSide);
        SetMagickResourceLimit(HeightResource, kMaxSide);
        SetMagickResourceLimit(PixelsResource, kMaxPixels);
        SetMagickResourceLimit(MemoryResource, 1024ul * 1024 * 1024);
        SetMagickResourceLimit(DiskResource, 0);
    });
}

}  // namespace

std::optional<ExternalImage> ReadExternalImage(std::span<const std::uint8_t> bytes,
                                               const std::string& strPath) {
    InitializeOnce();
    // The library gets the bytes, and a name made of the extension alone: it would otherwise
    // take prefixes such as "|command" or "format:" from the name.
    if (bytes.empty() || bytes.size() > kMaxFileBytes) return std::nullopt;

    ImageInfo* pInfo = CloneImageInfo(nullptr);
    if (!pInfo) return std::nullopt;
    std::string strHint = "picture." + Extension(strPath);
    std::memcpy(pInfo->filename, strHint.c_str(), strHint.size() + 1);
    ExceptionInfo exception;
    GetExceptionInfo(&exception);
    Image* pImage = BlobToImage(pInfo, bytes.data(), bytes.size(), &exception);
    std::optional<ExternalImage> result;
    if (pImage && pImage->columns > 0 && pImage->rows > 0 && pImage->columns <= kMaxSide &&
        pImage->rows <= kMaxSide) {
        ExternalImage img;
        img.nWidth = static_cast<int>(pImage->columns);
        img.nHeight = static_cast<int>(pImage->rows);
        img.nColors = pImage->storage_class == PseudoClass ? static_cast<int>(pImage->colors) : 0;
        img.bgra.resize(static_cast<size_t>(img.nWidth) * img.nHeight * 4);
        if (DispatchImage(pImage, 0, 0, pImage->columns, pImage->rows, "BGRA", CharPixel,
                          img.bgra.data(), &exception) == MagickPass) {
            // Pictures without an alpha channel come back with alpha 0: make them opaque.
            if (!pImage->matte) {
                for (size_t i = 3; i < img.bgra.size(); i += 4)
                    img.bgra[i] = 0xFF;
            }
            result = std::move(img);
        }
    }
    if (pImage) DestroyImageList(pImage);
    DestroyExceptionInfo(&exception);
    DestroyImageInfo(pInfo);
    return result;
}

}  // namespace tessel::imaging
