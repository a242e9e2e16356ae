#include "imaging/picture.h"

#include <cstring>
#include <vector>

#include "document/picture_size.h"
#include "imaging/decoders/bmp_decoder.h"
#include "imaging/decoders/psd_decoder.h"
#include "platform/file_path.h"

using tessel::imaging::DibImage;

static_assert(sizeof(tessel::imaging::DibHeader) == sizeof(BITMAPINFOHEADER),
              "a decoded header is drawn as the platform's header");

namespace {

constexpr std::size_t kMaxPictureFileBytes = 256u * 1024 * 1024;

const BITMAPINFO* AsBitmapInfo(const DibImage& dib) {
    return reinterpret_cast<const BITMAPINFO*>(&dib.info);
}

// The palette a colour table makes, into the caller's palette object.
void FillPalette(CPalette* pPalette, const DibImage& dib) {
    if (!pPalette || dib.ColourCount() <= 0) return;
    std::vector<PALETTEENTRY> entries(dib.ColourCount());
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& c = dib.info.bmiColors[i];
        entries[i] = {c.rgbRed, c.rgbGreen, c.rgbBlue, 0};
    }
    pPalette->CreatePalette(entries.data(), static_cast<int>(entries.size()));
}

// A 32-bit top-down bitmap from blue-green-red-alpha rows.
std::unique_ptr<CBitmap> BitmapFromBgra(int nWidth, int nHeight, const std::uint8_t* pBgra) {
    BITMAPINFO info{};
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = -nHeight;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    auto pBitmap = std::make_unique<CBitmap>();
    if (!pBitmap->CreateFromDib(&info, pBgra)) return nullptr;
    return pBitmap;
}

// Copies a bitmap onto the context through a memory context.
void Blit(CDC* pDC, const CBitmap& bitmap, int x, int y, int nWidth, int nHeight, int nSrcWidth,
          int nSrcHeight, std::uint32_t dwRop) {
    CDC mem;
    if (!mem.CreateCompatibleDC(pDC)) return;
    CBitmap* pOld = mem.SelectObject(const_cast<CBitmap*>(&bitmap));
    pDC->StretchBlt(x, y, nWidth, nHeight, &mem, 0, 0, nSrcWidth, nSrcHeight, dwRop);
    mem.SelectObject(pOld);
}

std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& strPath) {
    auto text = tessel::platform::ReadRegularFile(strPath, kMaxPictureFileBytes);
    if (!text) return std::nullopt;
    return std::vector<std::uint8_t>(text->begin(), text->end());
}

// The extension as a path splitter yields it: from the last dot of the last component.
std::string_view ExtensionOf(std::string_view path) {
    size_t nSlash = path.find_last_of("\\/");
    size_t nDot = path.find_last_of('.');
    if (nDot == std::string_view::npos || (nSlash != std::string_view::npos && nDot < nSlash))
        return {};
    return path.substr(nDot);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char ca = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        char cb = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (ca != cb) return false;
    }
    return true;
}

}  // namespace

// ---- CDIB ----------------------------------------------------------------------------------

int CDIB::ReadDib(std::span<const std::uint8_t> bytes, CPalette* pPalette) {
    m_pDrawn.reset();
    m_dib = tessel::imaging::ReadBmp(bytes);
    if (!m_dib) return 0;
    FillPalette(pPalette, *m_dib);
    return 1;
}

void CDIB::DrawDib(CDC* pDC, int x, int y, CPalette* pPalette) const {
    if (!m_dib || !pDC) return;
    CPalette* pOld = nullptr;
    if (pPalette) {
        pOld = pDC->SelectPalette(pPalette, false);
        pDC->RealizePalette();
    }
    int w = m_dib->Width(), h = m_dib->Height();
    // The colours come from the picture's own table (DIB_RGB_COLORS), so the bitmap made once
    // shows the same pixels as the bits decoded for each drawing.
    if (!m_pDrawn) {
        m_pDrawn = std::make_unique<CBitmap>();
        if (!m_pDrawn->CreateFromDib(AsBitmapInfo(*m_dib), m_dib->bits.data())) m_pDrawn.reset();
    }
    if (m_pDrawn)
        Blit(pDC, *m_pDrawn, x, y, w, h, w, h, SRCCOPY);
    else
        pDC->StretchDIBits(x, y, w, h, 0, 0, w, h, m_dib->bits.data(), AsBitmapInfo(*m_dib),
                           DIB_RGB_COLORS, SRCCOPY);
    if (pPalette) pDC->SelectPalette(pOld, false);
}

// ---- CPicture ------------------------------------------------------------------------------

struct CPicture::Masked {
    std::unique_ptr<CBitmap> mask;    // black where the picture shows, white where transparent
    std::unique_ptr<CBitmap> colour;  // the picture's colours, black where it is transparent
    int nWidth = 0;
    int nHeight = 0;
};

const char* const CPicture::m_szExtensions[12] = {".ico", ".cur", ".wmf", ".emf", ".bmp", ".dib",
                                                  ".pcx", ".gif", ".jpg", ".tif", ".tga", ".psd"};

namespace {
bool LoadedPictureSize(const CPicture* pPicture, int* pnWidth, int* pnHeight) {
    if (!pPicture->IsLoaded()) return false;
    *pnWidth = pPicture->GetWidth();
    *pnHeight = pPicture->GetHeight();
    return true;
}
}  // namespace

CPicture::CPicture() {
    // Lets the layers below, which hold pictures without knowing this class, ask for sizes.
    tessel::InstallPictureSizeQuery(&LoadedPictureSize);
}
CPicture::~CPicture() = default;

int CPicture::KindOfExtension(std::string_view ext) {
    for (int i = 0; i < kOther; ++i) {
        if (EqualNoCase(ext, m_szExtensions[i])) return i;
    }
    return kOther;
}

void CPicture::Free() {
    FreeDib();
    m_icon.reset();
    m_meta.reset();
    m_gif.reset();
    m_external.reset();
    m_pMasked.reset();
    m_pGifOpaque.reset();
    m_pExternal.reset();
}

int CPicture::Load(const char* szPath, CPalette* pPalette) {
    Free();
    m_bLoaded = 0;
    if (!szPath) return 0;
    std::string_view ext = ExtensionOf(szPath);
    m_nKind = KindOfExtension(ext);
    std::string strPath = tessel::platform::ResolvePath("", szPath);
    auto bytes = ReadFile(strPath);
    if (!bytes) return 0;
    if (m_nKind >= kPcx && m_nKind != kGif)
        m_bLoaded = LoadOther(*bytes, strPath, pPalette);
    else
        m_bLoaded = LoadBytes(*bytes, EqualNoCase(ext, ".wmf"), pPalette);
    if (!m_bLoaded) Free();
    return m_bLoaded;
}

int CPicture::LoadOther(std::span<const std::uint8_t> bytes, const std::string& strPath,
                        CPalette* pPalette) {
    // Photoshop files are read here, whatever their name says: builds of the general library
    // need not have a reader for them (Debian's has none). The composite picture is kept as
    // a DIB and drawn as BMP files are.
    if (m_nKind == kPsd || tessel::imaging::HasPsdSignature(bytes)) {
        m_dib = tessel::imaging::ReadPsd(bytes);
        if (!m_dib) return 0;
        FillPalette(pPalette, *m_dib);
        return 1;
    }
    // Formats we do not read ourselves go to the general imaging library.
    m_external = tessel::imaging::ReadExternalImage(bytes, strPath);
    if (!m_external) return 0;
    m_pExternal = BitmapFromBgra(m_external->nWidth, m_external->nHeight, m_external->bgra.data());
    return m_pExternal ? 1 : 0;
}

int CPicture::LoadBytes(std::span<const std::uint8_t> bytes, bool bWmfExtension,
                        CPalette* pPalette) {
    using namespace tessel::imaging;
    auto makeMasked = [this](int w, int h, const std::vector<std::uint8_t>& mask,
                             const std::vector<std::uint8_t>& colour) {
        auto pMaskBmp = BitmapFromBgra(w, h, mask.data());
        auto pColourBmp = BitmapFromBgra(w, h, colour.data());
        if (!pMaskBmp || !pColourBmp) return false;
        m_pMasked = std::make_unique<Masked>();
        m_pMasked->mask = std::move(pMaskBmp);
        m_pMasked->colour = std::move(pColourBmp);
        m_pMasked->nWidth = w;
        m_pMasked->nHeight = h;
        return true;
    };
    auto bgraOf = [](const DibImage& dib) {
        std::vector<std::uint8_t> out(static_cast<size_t>(dib.Width()) * dib.Height() * 4);
        for (int y = 0; y < dib.Height(); ++y) {
            for (int x = 0; x < dib.Width(); ++x) {
                COLORREF cr = dib.Pixel(x, y);
                std::uint8_t* p = &out[(static_cast<size_t>(y) * dib.Width() + x) * 4];
                p[0] = static_cast<std::uint8_t>(GetBValue(cr));
                p[1] = static_cast<std::uint8_t>(GetGValue(cr));
                p[2] = static_cast<std::uint8_t>(GetRValue(cr));
                p[3] = 0xFF;
            }
        }
        return out;
    };
    switch (m_nKind) {
        case kIco:
        case kCur: {
            m_icon = m_nKind == kIco ? ReadIcon(bytes) : ReadCursor(bytes);
            if (!m_icon) return 0;
            const int n = IconImage::kSize;
            return makeMasked(n, n, bgraOf(m_icon->mask), bgraOf(m_icon->colour)) ? 1 : 0;
        }
        case kWmf:
        case kEmf:
            m_meta = tessel::metafile::Metafile::FromEmfBytes(bytes);
            if (!m_meta && bWmfExtension && bytes.size() >= 4)
                m_meta = tessel::metafile::Metafile::FromPlaceableWmfBytes(bytes);
            return m_meta ? 1 : 0;
        case kBmp:
        case kDib:
            return ReadDib(bytes, pPalette);
        case kGif: {
            m_gif = ReadGif(bytes);
            if (!m_gif || m_gif->frames.empty()) return 0;
            const GifFrame& f = m_gif->frames[0];
            FillPalette(pPalette, f.dib);
            if (f.IsTransparent()) {
                std::vector<std::uint8_t> colour = bgraOf(f.dib);
                std::vector<std::uint8_t> mask(colour.size(), 0);
                for (int y = 0; y < f.dib.Height(); ++y) {
                    for (int x = 0; x < f.dib.Width(); ++x) {
                        size_t i = (static_cast<size_t>(y) * f.dib.Width() + x) * 4;
                        mask[i + 3] = 0xFF;
                        if (f.dib.Index(x, y) == f.TransparentIndex()) {
                            mask[i] = mask[i + 1] = mask[i + 2] = 0xFF;
                            colour[i] = colour[i + 1] = colour[i + 2] = 0;
                        }
                    }
                }
                if (!makeMasked(f.dib.Width(), f.dib.Height(), mask, colour)) return 0;
            }
            return 1;
        }
        default:
            return 0;
    }
}

void CPicture::Draw(CDC* pDC, int x, int y, CPalette* pPalette, const CRect* pSrc,
                    int bTransparent) const {
    if (!m_bLoaded || !pDC) return;
    (void)pSrc;  // every reader draws the whole picture
    switch (m_nKind) {
        case kIco:
        case kCur:
            if (m_pMasked) {
                Blit(pDC, *m_pMasked->mask, x, y, GetWidth(), GetHeight(), 32, 32, SRCAND);
                Blit(pDC, *m_pMasked->colour, x, y, GetWidth(), GetHeight(), 32, 32, SRCINVERT);
            }
            break;
        case kWmf:
        case kEmf:
            if (m_meta) m_meta->Play(pDC, CRect(x, y, x + GetWidth(), y + GetHeight()));
            break;
        case kBmp:
        case kDib:
            DrawDib(pDC, x, y, pPalette);
            break;
        case kGif: {
            if (!m_gif || m_gif->frames.empty()) break;
            const auto& f = m_gif->frames[0];
            int fx = x + f.nLeft, fy = y + f.nTop;
            CPalette* pOld = nullptr;
            if (pPalette) {
                pOld = pDC->SelectPalette(pPalette, false);
                pDC->RealizePalette();
            }
            if (bTransparent && m_pMasked) {
                int w = m_pMasked->nWidth, h = m_pMasked->nHeight;
                Blit(pDC, *m_pMasked->mask, fx, fy, w, h, w, h, SRCAND);
                Blit(pDC, *m_pMasked->colour, fx, fy, w, h, w, h, SRCINVERT);
            } else {
                int w = f.dib.Width(), h = f.dib.Height();
                pDC->StretchDIBits(fx, fy, w, h, 0, 0, w, h, f.dib.bits.data(), AsBitmapInfo(f.dib),
                                   DIB_RGB_COLORS, SRCCOPY);
            }
            if (pPalette) pDC->SelectPalette(pOld, false);
            break;
        }
        default:
            if (m_pExternal) {
                int w = GetWidth(), h = GetHeight();
                Blit(pDC, *m_pExternal, x, y, w, h, w, h, SRCCOPY);
            } else if (m_dib) {  // a Photoshop file's composite picture
                DrawDib(pDC, x, y, pPalette);
            }
            break;
    }
}

// Width, height and colour count of what the reader for the picture's kind holds.
CSize CPicture::Extent(int* pColors) const {
    using tessel::imaging::IconImage;
    int w = 0, h = 0, n = 0;
    if (!m_bLoaded) {
    } else if ((m_nKind == kIco || m_nKind == kCur) && m_icon) {
        w = h = IconImage::kSize;
        n = m_icon->nColours;
    } else if ((m_nKind == kWmf || m_nKind == kEmf) && m_meta) {
        w = m_meta->Width();
        h = m_meta->Height();
        n = m_meta->NumColors();
    } else if ((m_nKind == kBmp || m_nKind == kDib) && m_dib) {
        w = m_dib->Width();
        h = m_dib->Height();
        n = m_dib->ColourCount();
    } else if (m_nKind == kGif && m_gif) {
        w = m_gif->nWidth;
        h = m_gif->nHeight;
        n = m_gif->ColourCount();
    } else if (m_external) {
        w = m_external->nWidth;
        h = m_external->nHeight;
        n = m_external->nColors;
    } else if (m_dib) {  // a Photoshop file, whatever its extension
        w = m_dib->Width();
        h = m_dib->Height();
        n = m_dib->ColourCount();
    }
    if (pColors) *pColors = n;
    return {w, h};
}

int CPicture::GetWidth() const {
    return Extent(nullptr).cx;
}
int CPicture::GetHeight() const {
    return Extent(nullptr).cy;
}
int CPicture::GetNumColors() const {
    int n = 0;
    Extent(&n);
    return n;
}
