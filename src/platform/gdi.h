#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.h"

// The drawing half of the platform layer: device contexts, bitmaps, fonts, pens, brushes and
// palettes, shaped like the Windows objects the editor and the picture readers are written
// against, and drawn with Qt underneath. Text passed in is GBK; it is converted here and
// nowhere else. Nothing in this header names a Qt type, but fonts, text measurement and text
// drawing need a QGuiApplication to exist (the offscreen platform is enough).

// Raster operations of BitBlt, StretchBlt and PatBlt.
enum RasterOp : std::uint32_t {
    SRCCOPY = 0x00CC0020,
    NOTSRCCOPY = 0x00330008,
    SRCAND = 0x008800C6,
    SRCINVERT = 0x00660046,
    SRCPAINT = 0x00EE0086,
    WHITENESS = 0x00FF0062,
    BLACKNESS = 0x00000042,
    PATCOPY = 0x00F00021,
    PATINVERT = 0x005A0049,
    DSTINVERT = 0x00550009,
};

enum BkMode : int { TRANSPARENT = 1, OPAQUE = 2 };

enum PenStyle : int {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_DOT = 2,
    PS_DASHDOT = 3,
    PS_DASHDOTDOT = 4,
    PS_NULL = 5,
    PS_INSIDEFRAME = 6,  // solid; a wide pen stays inside the shape's bounding rectangle
};

// Polygon filling (SetPolyFillMode).
enum PolyFillMode : int { ALTERNATE = 1, WINDING = 2 };

// What ExcludeClipRect and IntersectClipRect report about the clipping region left.
enum RegionType : int { RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };

// GetPixel and SetPixel outside the surface or the clipping region.
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

enum FontWeight : int { FW_THIN = 100, FW_NORMAL = 400, FW_BOLD = 700 };

inline constexpr int LF_FACESIZE = 32;
inline constexpr unsigned char DEFAULT_CHARSET = 1;
inline constexpr unsigned char GB2312_CHARSET = 134;
inline constexpr unsigned char NONANTIALIASED_QUALITY = 3;  // lfQuality: glyphs without smoothing

// A font description: height in pixels (negative: character height, positive: cell height;
// both are taken as the pixel size), weight, style, character set and face name (GBK).
struct LOGFONT {
    int lfHeight = 0;
    int lfWidth = 0;
    int lfEscapement = 0;
    int lfOrientation = 0;
    int lfWeight = FW_NORMAL;
    unsigned char lfItalic = 0;
    unsigned char lfUnderline = 0;
    unsigned char lfStrikeOut = 0;
    unsigned char lfCharSet = DEFAULT_CHARSET;
    unsigned char lfOutPrecision = 0;
    unsigned char lfClipPrecision = 0;
    unsigned char lfQuality = 0;
    unsigned char lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};

struct TEXTMETRIC {
    int tmHeight = 0;
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0;
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;
    int tmMaxCharWidth = 0;
};

// One palette entry.
struct PALETTEENTRY {
    unsigned char peRed = 0;
    unsigned char peGreen = 0;
    unsigned char peBlue = 0;
    unsigned char peFlags = 0;
};

// A device-independent bitmap's header (40 bytes in a file) and its colour table.
struct BITMAPINFOHEADER {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;  // positive: rows stored bottom up
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;  // 0: BI_RGB, 3: BI_BITFIELDS
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};
struct RGBQUAD {
    unsigned char rgbBlue = 0;
    unsigned char rgbGreen = 0;
    unsigned char rgbRed = 0;
    unsigned char rgbReserved = 0;
};
// A header followed by its colour table (as many entries as the bit depth or biClrUsed asks).
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
inline constexpr std::uint32_t BI_RGB = 0;
inline constexpr std::uint32_t BI_BITFIELDS = 3;
inline constexpr unsigned DIB_RGB_COLORS = 0;
inline constexpr unsigned DIB_PAL_COLORS = 1;  // the colour table holds 16-bit palette indices

// Row stride of a device-independent bitmap: rows are padded to a multiple of 4 bytes.
constexpr int DibStride(int nWidth, int nBitCount) {
    return ((nWidth * nBitCount + 31) / 32) * 4;
}

class CDC;

// Base of the objects a device context selects.
class CGdiObject {
  public:
    virtual ~CGdiObject();
    virtual bool IsValid() const = 0;
    void DeleteObject() { Release(); }

  protected:
    virtual void Release() = 0;
};

class CPen : public CGdiObject {
  public:
    CPen() = default;
    CPen(int nStyle, int nWidth, COLORREF cr) { CreatePen(nStyle, nWidth, cr); }
    bool CreatePen(int nStyle, int nWidth, COLORREF cr);
    bool IsValid() const override { return m_bValid; }
    int m_nStyle = PS_SOLID;
    int m_nWidth = 1;
    COLORREF m_cr = 0;

  protected:
    void Release() override { m_bValid = false; }
    bool m_bValid = false;
};

class CBrush : public CGdiObject {
  public:
    CBrush() = default;
    explicit CBrush(COLORREF cr) { CreateSolidBrush(cr); }
    bool CreateSolidBrush(COLORREF cr);
    // A brush that paints nothing.
    bool CreateNullBrush();
    bool IsValid() const override { return m_bValid; }
    bool m_bNull = false;
    COLORREF m_cr = 0;

  protected:
    void Release() override { m_bValid = false; }
    bool m_bValid = false;
};

struct FontData;
class CFont : public CGdiObject {
  public:
    CFont();
    ~CFont() override;
    bool CreateFontIndirect(const LOGFONT* pLogFont);
    // A font of nPointSize tenths of a point on the screen, as the tool windows make them.
    bool CreatePointFont(int nPointSize, const char* szFaceGbk);
    bool IsValid() const override { return m_pData != nullptr; }
    const LOGFONT& GetLogFont() const { return m_lf; }
    FontData* Data() const { return m_pData.get(); }

  protected:
    void Release() override;
    LOGFONT m_lf;
    std::unique_ptr<FontData> m_pData;
};

struct BitmapData;
class CBitmap : public CGdiObject {
  public:
    CBitmap();
    ~CBitmap() override;
    // A bitmap of the given size whose pixels match the context's (32-bit colour here).
    bool CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    // A bitmap of the given size, white.
    bool CreateBitmap(int nWidth, int nHeight);
    // A bitmap from a device-independent bitmap's header, colour table and bits.
    bool CreateFromDib(const BITMAPINFO* pInfo, const void* pBits);
    bool IsValid() const override { return m_pData != nullptr; }
    CSize GetSize() const;
    COLORREF GetPixel(int x, int y) const;
    void SetPixel(int x, int y, COLORREF cr);
    // Writes the bitmap as a PNG file; false on failure.
    bool SavePng(const std::string& strPath) const;
    BitmapData* Data() const { return m_pData.get(); }

  protected:
    void Release() override;
    std::unique_ptr<BitmapData> m_pData;
};

class CPalette : public CGdiObject {
  public:
    bool CreatePalette(const PALETTEENTRY* pEntries, int nCount);
    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    int GetPaletteEntries(int nStart, int nCount, PALETTEENTRY* pOut) const;
    int SetPaletteEntries(int nStart, int nCount, const PALETTEENTRY* pIn);
    bool IsValid() const override { return m_bValid; }

  protected:
    void Release() override {
        m_bValid = false;
        m_entries.clear();
    }
    std::vector<PALETTEENTRY> m_entries;
    bool m_bValid = false;
};

struct DCData;
// A drawing context. A memory context draws into the bitmap selected into it; a window
// context (made by the window half of the layer) draws into a window's surface.
class CDC {
  public:
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // A memory context like pDC (or like the screen when pDC is null), with no bitmap yet.
    bool CreateCompatibleDC(CDC* pDC);
    void DeleteDC();

    // Selection returns the object that was selected before (null for none).
    CFont* SelectObject(CFont* pFont);
    CPen* SelectObject(CPen* pPen);
    CBrush* SelectObject(CBrush* pBrush);
    CBitmap* SelectObject(CBitmap* pBitmap);
    CPalette* SelectPalette(CPalette* pPalette, bool bForceBackground);
    int RealizePalette();
    CBitmap* GetCurrentBitmap() const;

    COLORREF SetTextColor(COLORREF cr);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF cr);
    COLORREF GetBkColor() const;
    int SetBkMode(int nMode);
    int GetBkMode() const;

    // Text is GBK bytes.
    bool TextOut(int x, int y, const char* szText, int nLength);
    bool TextOut(int x, int y, std::string_view text) {
        return TextOut(x, y, text.data(), static_cast<int>(text.size()));
    }
    CSize GetTextExtent(const char* szText, int nLength) const;
    CSize GetTextExtent(std::string_view text) const {
        return GetTextExtent(text.data(), static_cast<int>(text.size()));
    }
    // Widths of the characters from nFirst to nLast (single-byte codes), in pixels.
    bool GetCharWidth(unsigned nFirst, unsigned nLast, int* pWidths) const;
    bool GetTextMetrics(TEXTMETRIC* pMetrics) const;

    void FillRect(const CRect& rc, CBrush* pBrush);
    // Like MFC's, this sets the background colour to cr and leaves it so.
    void FillSolidRect(const CRect& rc, COLORREF cr);
    bool PatBlt(int x, int y, int nWidth, int nHeight, std::uint32_t dwRop);
    // Outlined with the current pen, filled with the current brush.
    bool Rectangle(int x1, int y1, int x2, int y2);
    bool Rectangle(const CRect& rc) { return Rectangle(rc.left, rc.top, rc.right, rc.bottom); }
    bool Ellipse(int x1, int y1, int x2, int y2);
    bool RoundRect(int x1, int y1, int x2, int y2, int nWidth, int nHeight);
    bool Arc(const CRect& rc, CPoint ptStart, CPoint ptEnd);
    bool Chord(const CRect& rc, CPoint ptStart, CPoint ptEnd);
    bool Pie(const CRect& rc, CPoint ptStart, CPoint ptEnd);
    bool Polygon(const CPoint* pPoints, int nCount);
    // Polygons of the given point counts, filled together (alternate filling).
    bool PolyPolygon(const CPoint* pPoints, const int* pCounts, int nPolygons);
    bool Polyline(const CPoint* pPoints, int nCount);
    // 3n + 1 points: a start, then two control points and an end per curve.
    bool PolyBezier(const CPoint* pPoints, int nCount);
    CPoint MoveTo(int x, int y);
    bool LineTo(int x, int y);
    void SetPolyFillMode(int nMode);  // 1 alternate, 2 winding

    // Paths: what is drawn between BeginPath and EndPath is recorded, not drawn.
    bool BeginPath();
    bool EndPath();
    bool CloseFigure();
    bool FillPath();
    bool StrokePath();
    bool StrokeAndFillPath();

    // The desktop's 3-D edges and frame controls, for windows that draw their own controls
    // (the constants are in controls.h). DrawEdge with BF_ADJUST shrinks *pRect by what it
    // drew; DrawFrameControl draws the control into *pRect. Focus rectangles invert a dotted
    // frame, so drawing one twice removes it.
    bool DrawEdge(CRect* pRect, unsigned nEdge, unsigned nFlags);
    bool DrawFrameControl(CRect* pRect, unsigned nType, unsigned nState);
    void DrawFocusRect(const CRect* pRect);
    void Draw3dRect(const CRect& rc, COLORREF crTopLeft, COLORREF crBottomRight);

    bool BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrc, int xSrc, int ySrc,
                std::uint32_t dwRop);
    bool StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrc, int xSrc, int ySrc,
                    int nSrcWidth, int nSrcHeight, std::uint32_t dwRop);
    // Draws a device-independent bitmap (rows bottom up when biHeight is positive).
    int StretchDIBits(int x, int y, int nWidth, int nHeight, int xSrc, int ySrc, int nSrcWidth,
                      int nSrcHeight, const void* pBits, const BITMAPINFO* pInfo, unsigned nUsage,
                      std::uint32_t dwRop);

    // Logical point (0, 0) appears at this device point.
    CPoint SetViewportOrg(int x, int y);
    CPoint GetViewportOrg() const;
    // Scale and offset from logical to device coordinates, applied before the viewport origin:
    // device = logical * scale + offset + viewport origin. The metafile player passes
    // scale = viewportExt / windowExt and offset = viewportOrg - windowOrg * scale of the
    // metafile's own mapping. Text is scaled with it (by the absolute scale: never mirrored).
    void SetWorldScale(double dScaleX, double dScaleY, double dOffsetX, double dOffsetY);
    void ResetWorldScale();

    int ExcludeClipRect(const CRect& rc);
    int IntersectClipRect(const CRect& rc);
    int SaveDC();
    bool RestoreDC(int nSavedDC);

    COLORREF GetPixel(int x, int y) const;
    COLORREF SetPixel(int x, int y, COLORREF cr);

    DCData* Data() const { return m_pData.get(); }

  protected:
    std::unique_ptr<DCData> m_pData;
};

// Reads a bitmap's pixels as a device-independent bitmap: 24-bit (blue, green, red) or 32-bit
// (blue, green, red, 0) rows of BI_RGB pixels, padded to DibStride; bottom up when
// pInfo->bmiHeader.biHeight is positive, top down when negative. The header's width and
// height must be the bitmap's. Scan lines uStartScan to uStartScan + cScanLines - 1, counted
// in the order they are stored, are written from the start of pBits, which must hold that
// many rows. Returns the number of scan lines written, 0 on failure. With pBits null nothing
// is written: a header whose biBitCount is 0 gets the bitmap's whole description (32 bits),
// else its size fields are filled in (biWidth, biHeight kept in its sign, biSizeImage); the
// result is then the bitmap's height. pDC may be null; uUsage is DIB_RGB_COLORS (these depths
// have no colour table).
int GetDIBits(CDC* pDC, CBitmap* hBitmap, unsigned uStartScan, unsigned cScanLines, void* pBits,
              BITMAPINFO* pInfo, unsigned uUsage);
