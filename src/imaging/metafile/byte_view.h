#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "imaging/metafile/records.h"

// Bounded little-endian reading shared by the EMF and WMF readers.
namespace tessel::metafile::detail {

class ByteView {
  public:
    explicit ByteView(std::span<const std::uint8_t> data) : m_data(data) {}

    std::size_t Size() const { return m_data.size(); }
    // True when n bytes from nOffset lie inside the data (no overflow for any inputs).
    bool Has(std::uint64_t nOffset, std::uint64_t n) const {
        return nOffset <= m_data.size() && n <= m_data.size() - nOffset;
    }
    // Reads outside the data give 0; callers check Has first where it matters.
    std::uint8_t U8(std::size_t nOffset) const {
        return nOffset < m_data.size() ? m_data[nOffset] : 0;
    }
    std::uint16_t U16(std::size_t nOffset) const {
        if (!Has(nOffset, 2)) return 0;
        return static_cast<std::uint16_t>(m_data[nOffset] | (m_data[nOffset + 1] << 8));
    }
    std::int16_t I16(std::size_t nOffset) const { return static_cast<std::int16_t>(U16(nOffset)); }
    std::uint32_t U32(std::size_t nOffset) const {
        if (!Has(nOffset, 4)) return 0;
        return static_cast<std::uint32_t>(m_data[nOffset]) |
               (static_cast<std::uint32_t>(m_data[nOffset + 1]) << 8) |
               (static_cast<std::uint32_t>(m_data[nOffset + 2]) << 16) |
               (static_cast<std::uint32_t>(m_data[nOffset + 3]) << 24);
    }
    std::int32_t I32(std::size_t nOffset) const { return static_cast<std::int32_t>(U32(nOffset)); }
    // n bytes from nOffset, or an empty span when they are not all there.
    std::span<const std::uint8_t> Sub(std::uint64_t nOffset, std::uint64_t n) const {
        if (!Has(nOffset, n)) return {};
        return m_data.subspan(static_cast<std::size_t>(nOffset), static_cast<std::size_t>(n));
    }

  private:
    std::span<const std::uint8_t> m_data;
};

// How a bitmap's header and colour table lie in the data.
struct DibLayout {
    Dib dib;                       // header fields and colours filled, bits not yet
    std::uint64_t nInfoBytes = 0;  // header plus colour table (or masks) as stored
    std::uint64_t nBitsBytes = 0;  // stride times rows
};

// Checks a bitmap info header with its colour table at the start of info. Fails for
// headers it cannot draw: see Dib.
std::optional<DibLayout> ReadDibInfo(std::span<const std::uint8_t> info);

// A whole bitmap from its info block and its bits block (the bits may run on past the rows).
std::optional<Dib> ReadDib(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits);

}  // namespace tessel::metafile::detail
