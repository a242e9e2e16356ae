#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>

#include "imaging/metafile/records.h"
#include "platform/gdi.h"

namespace tessel::metafile {

// A metafile picture read from the bytes of an ".emf" or a placeable ".wmf" file, ready to
// be played into a device context. Copies share the decoded records.
class Metafile {
  public:
    // An enhanced metafile; nothing when the bytes are not one (see DecodeEmf).
    static std::optional<Metafile> FromEmfBytes(std::span<const std::uint8_t> data);
    // A placeable Windows metafile, converted to the enhanced form (see DecodePlaceableWmf).
    static std::optional<Metafile> FromPlaceableWmfBytes(std::span<const std::uint8_t> data);
    // Records decoded (and perhaps edited) by the caller.
    explicit Metafile(Picture picture)
        : m_pPicture(std::make_shared<const Picture>(std::move(picture))) {}

    const EmfHeader& Header() const { return m_pPicture->header; }
    // The picture's size: the header's bounds, right - left and bottom - top.
    int Width() const { return Header().Width(); }
    int Height() const { return Header().Height(); }
    // The header's palette entry count.
    int NumColors() const { return static_cast<int>(Header().nPalEntries); }
    const Picture& Records() const { return *m_pPicture; }

    // Plays the records so that the picture's frame fills rc (logical units of pDC). The
    // drawing is clipped to rc, and pDC's state (objects, colours, modes, clipping, current
    // position) is as before afterwards.
    void Play(CDC* pDC, const CRect& rc) const;

  private:
    std::shared_ptr<const Picture> m_pPicture;
};

}  // namespace tessel::metafile
