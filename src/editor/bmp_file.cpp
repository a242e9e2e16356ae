// Pictures saved from the page: a bitmap written as a 24-bit BMP file with a 14-byte file
// header and a 40-byte information header, all fields little-endian.

#include "editor/bmp_file.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "platform/gbk.h"
#include "platform/gdi.h"

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPixelOffset = kFileHeaderSize + kInfoHeaderSize;

void PutU16(unsigned char* p, std::uint32_t n) {
    p[0] = static_cast<unsigned char>(n & 0xFF);
    p[1] = static_cast<unsigned char>((n >> 8) & 0xFF);
}
void PutU32(unsigned char* p, std::uint32_t n) {
    PutU16(p, n & 0xFFFF);
    PutU16(p + 2, n >> 16);
}

struct FileCloser {
    void operator()(std::FILE* pFile) const { std::fclose(pFile); }
};

}  // namespace

int WriteBmpFile(HBITMAP hBitmap, const char* szPath) {
    if (hBitmap == nullptr || !hBitmap->IsValid() || szPath == nullptr || *szPath == '\0') return 0;
    const CSize size = hBitmap->GetSize();
    const int nWidth = size.cx;
    const int nHeight = size.cy;
    if (nWidth <= 0 || nHeight <= 0) return 0;
    const std::uint64_t nStride = (static_cast<std::uint64_t>(nWidth) * 3 + 3) / 4 * 4;
    const std::uint64_t nImageSize = nStride * static_cast<std::uint64_t>(nHeight);
    if (nImageSize + kPixelOffset > 0xFFFFFFFFu) return 0;  // the header cannot say its size

    // The pixels, bottom up, read through a context of the screen.
    std::unique_ptr<unsigned char[]> pBits(new (std::nothrow) unsigned char[nImageSize]);
    if (!pBits) return 0;
    BITMAPINFO info;
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = nHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<std::uint32_t>(nImageSize);
    {
        CClientDC dc(nullptr);
        if (GetDIBits(&dc, hBitmap, 0, static_cast<unsigned>(nHeight), pBits.get(), &info,
                      DIB_RGB_COLORS) != nHeight) {
            return 0;
        }
    }

    unsigned char header[kPixelOffset] = {};
    header[0] = 'B';
    header[1] = 'M';
    PutU32(header + 2, static_cast<std::uint32_t>(nImageSize) + kPixelOffset);
    PutU16(header + 6, 0);
    PutU16(header + 8, 0);
    PutU32(header + 10, kPixelOffset);
    PutU32(header + 14, kInfoHeaderSize);
    PutU32(header + 18, static_cast<std::uint32_t>(nWidth));
    PutU32(header + 22, static_cast<std::uint32_t>(nHeight));
    PutU16(header + 26, 1);
    PutU16(header + 28, 24);
    PutU32(header + 30, 0);  // no compression
    PutU32(header + 34, static_cast<std::uint32_t>(nImageSize));
    PutU32(header + 38, 0);  // resolution not given
    PutU32(header + 42, 0);
    PutU32(header + 46, 0);  // no colour table
    PutU32(header + 50, 0);

    const std::string strNativePath = tessel::platform::GbkToUtf8(szPath);
    std::unique_ptr<std::FILE, FileCloser> pFile(std::fopen(strNativePath.c_str(), "wb"));
    if (!pFile) return 0;
    if (std::fwrite(header, 1, sizeof header, pFile.get()) != sizeof header) return 0;
    if (std::fwrite(pBits.get(), 1, nImageSize, pFile.get()) != nImageSize) return 0;
    if (std::fclose(pFile.release()) != 0) return 0;
    return 1;
}
