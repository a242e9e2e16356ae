#include "image_files.h"

#include <magick/api.h>

#include <QImageWriter>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "imaging/picture.h"
#include "platform/file_path.h"

namespace tessel::publish {
namespace {

constexpr int kMaxSide = 16384;
constexpr long long kMaxPixels = 64ll * 1024 * 1024;

// The general imaging library writes GIF, which Qt does not.
bool SaveGif(const QImage& image, const std::string& strPath) {
    static std::once_flag once;
    std::call_once(once, [] { InitializeMagick(nullptr); });
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    std::vector<unsigned char> pixels;
    pixels.reserve(static_cast<size_t>(rgb.width()) * rgb.height() * 3);
    for (int y = 0; y < rgb.height(); ++y) {
        const unsigned char* pRow = rgb.constScanLine(y);
        pixels.insert(pixels.end(), pRow, pRow + rgb.width() * 3);
    }
    ExceptionInfo exception;
    GetExceptionInfo(&exception);
    bool bWritten = false;
    Image* pImage = ConstituteImage(static_cast<unsigned long>(rgb.width()),
                                    static_cast<unsigned long>(rgb.height()), "RGB", CharPixel,
                                    pixels.data(), &exception);
    ImageInfo* pInfo = CloneImageInfo(nullptr);
    if (pImage && pInfo) {
        std::snprintf(pInfo->magick, sizeof pInfo->magick, "GIF");
        std::snprintf(pImage->magick, sizeof pImage->magick, "GIF");
        size_t nLength = 0;
        void* pBlob = ImageToBlob(pInfo, pImage, &nLength, &exception);
        if (pBlob && nLength > 0) {
            if (std::FILE* pFile = std::fopen(strPath.c_str(), "wb")) {
                bWritten = std::fwrite(pBlob, 1, nLength, pFile) == nLength;
                bWritten = std::fclose(pFile) == 0 && bWritten;
            }
        }
        if (pBlob) MagickFree(pBlob);
    }
    if (pInfo) DestroyImageInfo(pInfo);
    if (pImage) DestroyImage(pImage);
    DestroyExceptionInfo(&exception);
    return bWritten;
}

}  // namespace

bool IsBrowserImage(const std::string& strPath) {
    const std::optional<std::string> start = platform::ReadFileStart(strPath, 16);
    if (!start) return false;
    const std::string_view s = *start;
    return s.starts_with("\x89PNG\r\n\x1A\n") || s.starts_with("GIF87a") ||
           s.starts_with("GIF89a") || s.starts_with("\xFF\xD8\xFF") || s.starts_with("BM") ||
           (s.starts_with("RIFF") && s.size() >= 12 && s.substr(8, 4) == "WEBP");
}

std::optional<QImage> DrawToImage(int nWidth, int nHeight, const std::function<void(CDC*)>& draw) {
    if (nWidth <= 0 || nHeight <= 0 || nWidth > kMaxSide || nHeight > kMaxSide ||
        static_cast<long long>(nWidth) * nHeight > kMaxPixels)
        return std::nullopt;
    CDC mem;
    CBitmap bitmap;
    if (!mem.CreateCompatibleDC(nullptr) || !bitmap.CreateBitmap(nWidth, nHeight))
        return std::nullopt;
    CBitmap* pOld = mem.SelectObject(&bitmap);
    mem.PatBlt(0, 0, nWidth, nHeight, WHITENESS);
    draw(&mem);
    mem.SelectObject(pOld);

    // The pixels as 32-bit rows, top down: blue, green, red and an unused byte, which is
    // QImage's RGB32 on a little-endian machine.
    QImage image(nWidth, nHeight, QImage::Format_RGB32);
    if (image.isNull()) return std::nullopt;
    BITMAPINFO info;
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = -nHeight;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<unsigned char> bits(static_cast<size_t>(DibStride(nWidth, 32)) * nHeight);
    if (GetDIBits(nullptr, &bitmap, 0, static_cast<unsigned>(nHeight), bits.data(), &info,
                  DIB_RGB_COLORS) != nHeight)
        return std::nullopt;
    for (int y = 0; y < nHeight; ++y) {
        const unsigned char* p = bits.data() + static_cast<size_t>(y) * DibStride(nWidth, 32);
        QRgb* pOut = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < nWidth; ++x, p += 4)
            pOut[x] = qRgb(p[2], p[1], p[0]);
    }
    return image;
}

bool SavePicturePng(const CPicture& picture, const std::string& strPath) {
    const std::optional<QImage> image =
        DrawToImage(picture.GetWidth(), picture.GetHeight(),
                    [&](CDC* pDC) { picture.Draw(pDC, 0, 0, nullptr, nullptr, 1); });
    return image && SaveImage(*image, strPath, "png");
}

bool IsWritableImageExtension(std::string_view ext) {
    return ext == "gif" || ext == "png" || ext == "bmp" || ext == "jpg" || ext == "jpeg";
}

bool SaveImage(const QImage& image, const std::string& strPath, std::string_view ext) {
    if (ext == "gif") return SaveGif(image, strPath);
    const char* szFormat = ext == "bmp" ? "BMP" : ext == "png" ? "PNG" : "JPEG";
    if (!IsWritableImageExtension(ext)) return false;
    QImageWriter writer(QString::fromStdString(strPath), szFormat);
    if (ext != "png" && ext != "bmp") writer.setQuality(95);
    return writer.write(image);
}

}  // namespace tessel::publish
