#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>

#include "imaging/decoders/dib.h"
#include "imaging/decoders/gif_decoder.h"
#include "imaging/decoders/icon_decoder.h"
#include "imaging/external_reader.h"
#include "imaging/metafile/metafile.h"
#include "platform/gdi.h"

// A device-independent bitmap: what a ".bmp" or ".dib" file holds. The picture class below
// keeps such a file in this base part of itself.
class CDIB {
  public:
    CDIB() = default;
    virtual ~CDIB() = default;

    // Reads a BMP file's bytes; a palette object, when given, receives the colour table.
    int ReadDib(std::span<const std::uint8_t> bytes, CPalette* pPalette);
    // Draws at natural size with the top-left corner at (x, y).
    void DrawDib(CDC* pDC, int x, int y, CPalette* pPalette) const;
    bool HasDib() const { return m_dib.has_value(); }
    const tessel::imaging::DibImage* Dib() const { return m_dib ? &*m_dib : nullptr; }

  protected:
    // Forgets the bitmap and what was made of it for drawing.
    void FreeDib() {
        m_dib.reset();
        m_pDrawn.reset();
    }
    std::optional<tessel::imaging::DibImage> m_dib;

  private:
    // The picture as a bitmap of the platform, made at the first drawing: the editor draws
    // every picture of a page at each paint, and decoding the bits each time would cost more
    // than the rest of the picture's drawing.
    mutable std::unique_ptr<CBitmap> m_pDrawn;
};

// A picture read from a file: the reader is chosen by the file name's extension, except that
// a Photoshop file ("8BPS") named as another external format is still read as one.
class CPicture : public CDIB {
  public:
    // Index of the extension in the table below; 12 when none matched.
    enum PictureKind : int {
        kIco = 0,
        kCur = 1,
        kWmf = 2,
        kEmf = 3,
        kBmp = 4,
        kDib = 5,
        kPcx = 6,
        kGif = 7,
        kJpg = 8,
        kTif = 9,
        kTga = 10,
        kPsd = 11,
        kOther = 12,
    };
    static const char* const m_szExtensions[12];

    CPicture();
    ~CPicture() override;

    // Loads the file (a Windows-style name, relative names from the current directory).
    // A palette object, when given, receives the picture's palette. Returns the loaded flag.
    int Load(const char* szPath, CPalette* pPalette = nullptr);
    // Draws the picture at natural size at (x, y). An empty (or null) source rectangle means
    // the whole picture; bTransparent lets a GIF's transparent colour leave pixels undrawn.
    void Draw(CDC* pDC, int x, int y, CPalette* pPalette = nullptr, const CRect* pSrc = nullptr,
              int bTransparent = 1) const;
    int GetWidth() const;
    int GetHeight() const;
    int GetNumColors() const;

    int GetKind() const { return m_nKind; }
    int IsLoaded() const { return m_bLoaded; }
    // The kind an extension (".BMP", with its dot) stands for.
    static int KindOfExtension(std::string_view ext);

  private:
    struct Masked;  // a colour bitmap and a mask, drawn as icons are
    void Free();
    CSize Extent(int* pColors) const;
    int LoadBytes(std::span<const std::uint8_t> bytes, bool bWmfExtension, CPalette* pPalette);
    // The kinds from kPcx on, but GIF: Photoshop files, else the general imaging library.
    int LoadOther(std::span<const std::uint8_t> bytes, const std::string& strPath,
                  CPalette* pPalette);

    int m_nKind = kDib;
    int m_bLoaded = 0;
    std::optional<tessel::imaging::IconImage> m_icon;  // icons and cursors
    std::optional<tessel::metafile::Metafile> m_meta;
    std::optional<tessel::imaging::GifImage> m_gif;
    std::optional<tessel::imaging::ExternalImage> m_external;
    std::unique_ptr<Masked> m_pMasked;      // icon, cursor, or GIF frame 0 with its mask
    std::unique_ptr<CBitmap> m_pGifOpaque;  // GIF frame 0 drawn without transparency
    std::unique_ptr<CBitmap> m_pExternal;   // the external reader's picture
};
