// The drawing objects: pens, brushes, fonts, bitmaps and palettes, and the surfaces that
// bitmaps and contexts share.

#include "platform/gdi.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/gdi_qt.h"

using tessel::platform::Surface;

namespace tessel::platform {

QPainter* Surface::Painter() {
    if (pPainter) return pPainter.get();
    if (image.isNull()) return nullptr;
    auto pNew = std::make_unique<QPainter>();
    if (!pNew->begin(&image)) return nullptr;
    pPainter = std::move(pNew);
    painterClip.reset();
    return pPainter.get();
}

void Surface::EndPainting() {
    if (!pPainter) return;
    pPainter->end();
    pPainter.reset();
}

QImage MakeSurfaceImage(QSize logical, double dRatio) {
    if (dRatio == 1.0) return QImage(logical, QImage::Format_RGB32);
    QImage image(ToPixel(logical.width(), dRatio), ToPixel(logical.height(), dRatio),
                 QImage::Format_RGB32);
    if (!image.isNull()) image.setDevicePixelRatio(dRatio);
    return image;
}

}  // namespace tessel::platform

namespace {

// Bitmaps up to 2^28 pixels (1 GiB at 32 bits), neither side beyond 65535.
bool IsBitmapSizeAllowed(int nWidth, int nHeight) {
    return nWidth > 0 && nHeight > 0 && nWidth <= 0xFFFF && nHeight <= 0xFFFF &&
           static_cast<std::int64_t>(nWidth) * nHeight <= (std::int64_t{1} << 28);
}

}  // namespace

CGdiObject::~CGdiObject() = default;

bool CPen::CreatePen(int nStyle, int nWidth, COLORREF cr) {
    if (nStyle < PS_SOLID || nStyle > PS_INSIDEFRAME || nWidth < 0) return false;
    m_nStyle = nStyle;
    m_nWidth = nWidth;
    m_cr = cr;
    m_bValid = true;
    return true;
}

bool CBrush::CreateSolidBrush(COLORREF cr) {
    m_bNull = false;
    m_cr = cr;
    m_bValid = true;
    return true;
}

bool CBrush::CreateNullBrush() {
    m_bNull = true;
    m_cr = 0;
    m_bValid = true;
    return true;
}

CFont::CFont() = default;
CFont::~CFont() = default;

bool CFont::CreateFontIndirect(const LOGFONT* pLogFont) {
    if (pLogFont == nullptr) return false;
    m_lf = *pLogFont;
    m_pData = std::make_unique<FontData>(FontData{tessel::platform::FaceFor(m_lf)});
    return true;
}

bool CFont::CreatePointFont(int nPointSize, const char* szFaceGbk) {
    LOGFONT lf;
    // Tenths of a point on a 96-dots-per-inch screen, rounded.
    lf.lfHeight = -static_cast<int>((static_cast<std::int64_t>(nPointSize) * 96 + 360) / 720);
    if (szFaceGbk != nullptr)
        std::memcpy(lf.lfFaceName, szFaceGbk, strnlen(szFaceGbk, LF_FACESIZE - 1));
    return CreateFontIndirect(&lf);
}

void CFont::Release() {
    m_pData.reset();
    m_lf = LOGFONT();
}

CBitmap::CBitmap() = default;
CBitmap::~CBitmap() {
    Release();
}

// The bitmap has the pixel ratio of the context (a window's on a high-density screen): the
// size is logical.
bool CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    Release();
    if (!IsBitmapSizeAllowed(nWidth, nHeight)) return false;
    const double dRatio = pDC != nullptr ? pDC->Data()->Ratio() : 1.0;
    if (dRatio != 1.0 && !IsBitmapSizeAllowed(tessel::platform::ToPixel(nWidth, dRatio),
                                              tessel::platform::ToPixel(nHeight, dRatio)))
        return false;
    QImage image = tessel::platform::MakeSurfaceImage(QSize(nWidth, nHeight), dRatio);
    if (image.isNull()) return false;
    image.fill(0xFF000000u);  // a new screen bitmap is black
    auto pSurface = std::make_shared<Surface>();
    pSurface->image = std::move(image);
    pSurface->pOwner = this;
    m_pData = std::make_unique<BitmapData>(BitmapData{std::move(pSurface)});
    return true;
}

bool CBitmap::CreateBitmap(int nWidth, int nHeight) {
    if (!CreateCompatibleBitmap(nullptr, nWidth, nHeight)) return false;
    m_pData->pSurface->image.fill(0xFFFFFFFFu);
    return true;
}

bool CBitmap::CreateFromDib(const BITMAPINFO* pInfo, const void* pBits) {
    Release();
    QImage image = tessel::platform::DecodeDib(pInfo, pBits, DIB_RGB_COLORS, nullptr);
    if (image.isNull()) return false;
    auto pSurface = std::make_shared<Surface>();
    pSurface->image = std::move(image);
    pSurface->pOwner = this;
    m_pData = std::make_unique<BitmapData>(BitmapData{std::move(pSurface)});
    return true;
}

CSize CBitmap::GetSize() const {
    if (!m_pData) return {};
    const QSize size = m_pData->pSurface->LogicalSize();
    return {size.width(), size.height()};
}

// Logical pixels: at a pixel ratio above one, the first image pixel of the pixel's block is
// read, and the whole block is set.
COLORREF CBitmap::GetPixel(int x, int y) const {
    if (!m_pData) return CLR_INVALID;
    Surface& surface = *m_pData->pSurface;
    const QImage& image = surface.Pixels();
    if (surface.Ratio() == 1.0) {
        if (!image.valid(x, y)) return CLR_INVALID;
        return tessel::platform::ToColorRef(image.pixel(x, y));
    }
    if (!surface.LogicalRect().contains(x, y)) return CLR_INVALID;
    const QRect block = surface.PixelRect(QRect(x, y, 1, 1)) & image.rect();
    if (block.isEmpty()) return CLR_INVALID;
    return tessel::platform::ToColorRef(image.pixel(block.topLeft()));
}

void CBitmap::SetPixel(int x, int y, COLORREF cr) {
    if (!m_pData) return;
    Surface& surface = *m_pData->pSurface;
    QImage& image = surface.Pixels();
    if (surface.Ratio() == 1.0) {
        if (image.valid(x, y)) image.setPixel(x, y, tessel::platform::ToRgb(cr));
        return;
    }
    if (!surface.LogicalRect().contains(x, y)) return;
    tessel::platform::FillPixels(image, surface.PixelRect(QRect(x, y, 1, 1)),
                                 tessel::platform::ToRgb(cr));
}

bool CBitmap::SavePng(const std::string& strPath) const {
    if (!m_pData) return false;
    return m_pData->pSurface->Pixels().save(QFile::decodeName(QByteArray::fromStdString(strPath)),
                                            "PNG");
}

void CBitmap::Release() {
    // A context that still has the bitmap selected keeps drawing into its pixels, which now
    // belong to nobody.
    if (m_pData) m_pData->pSurface->pOwner = nullptr;
    m_pData.reset();
}

bool CPalette::CreatePalette(const PALETTEENTRY* pEntries, int nCount) {
    if (pEntries == nullptr || nCount <= 0 || nCount > 0xFFFF) return false;
    m_entries.assign(pEntries, pEntries + nCount);
    m_bValid = true;
    return true;
}

int CPalette::GetPaletteEntries(int nStart, int nCount, PALETTEENTRY* pOut) const {
    if (!m_bValid) return 0;
    if (pOut == nullptr) return GetEntryCount();
    if (nStart < 0 || nStart >= GetEntryCount() || nCount <= 0) return 0;
    const int nCopied = std::min(nCount, GetEntryCount() - nStart);
    std::copy_n(m_entries.begin() + nStart, nCopied, pOut);
    return nCopied;
}

int CPalette::SetPaletteEntries(int nStart, int nCount, const PALETTEENTRY* pIn) {
    if (!m_bValid || pIn == nullptr || nStart < 0 || nStart >= GetEntryCount() || nCount <= 0)
        return 0;
    const int nCopied = std::min(nCount, GetEntryCount() - nStart);
    std::copy_n(pIn, nCopied, m_entries.begin() + nStart);
    return nCopied;
}
