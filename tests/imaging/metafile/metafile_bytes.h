#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

// Test metafiles written byte by byte, little-endian.
namespace tessel::metafile::test {

class Bytes {
  public:
    Bytes& U8(std::uint32_t v) {
        m_data.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Bytes& U16(std::uint32_t v) { return U8(v).U8(v >> 8); }
    Bytes& U32(std::uint32_t v) { return U16(v).U16(v >> 16); }
    Bytes& I32s(std::initializer_list<std::int32_t> values) {
        for (std::int32_t v : values)
            U32(static_cast<std::uint32_t>(v));
        return *this;
    }
    Bytes& I16s(std::initializer_list<std::int32_t> values) {
        for (std::int32_t v : values)
            U16(static_cast<std::uint32_t>(v));
        return *this;
    }
    Bytes& Append(const Bytes& other) {
        m_data.insert(m_data.end(), other.m_data.begin(), other.m_data.end());
        return *this;
    }
    void Patch32(std::size_t nAt, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            m_data[nAt + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    std::size_t Size() const { return m_data.size(); }
    const std::vector<std::uint8_t>& Data() const { return m_data; }

  private:
    std::vector<std::uint8_t> m_data;
};

// The payload of a STRETCHDIBITS record drawing a 1 x 2 24-bit bitmap (top row red, bottom
// row blue) stretched over (x, y, cx, cy). The record holds nRows of the two rows.
inline Bytes StretchDibits(std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy,
                           int nRows = 2) {
    Bytes b;
    b.I32s({0, 0, 0, 0, x, y, 0, 0, 1, 2, 80, 40, 120, 4 * nRows, 0, 0x00CC0020, cx, cy});
    b.I32s({40, 1, 2}).U16(1).U16(24).I32s({0, 0, 0, 0, 0, 0}).U32(0x0000FF);
    if (nRows > 1) b.U32(0xFF0000);
    return b;
}

// An enhanced metafile: a 108-byte header whose reference device has 10 pixels per
// millimetre (so the frame is the bounds times 10), the records added, and an EOF record.
class EmfBuilder {
  public:
    // A record of 32-bit parameters.
    EmfBuilder& Rec(std::uint32_t nType, std::initializer_list<std::int32_t> params) {
        Bytes payload;
        payload.I32s(params);
        return Raw(nType, payload);
    }
    // A record with the payload as given (padded to four bytes).
    EmfBuilder& Raw(std::uint32_t nType, Bytes payload) {
        while (payload.Size() % 4)
            payload.U8(0);
        m_body.U32(nType).U32(static_cast<std::uint32_t>(8 + payload.Size())).Append(payload);
        ++m_nRecords;
        return *this;
    }
    std::vector<std::uint8_t> Build(std::int32_t nWidth, std::int32_t nHeight,
                                    std::uint32_t nPalEntries = 0) const {
        Bytes b;
        b.U32(1).U32(108).I32s({0, 0, nWidth, nHeight, 0, 0, nWidth * 10, nHeight * 10});
        b.U32(0x464D4520).U32(0x10000).U32(0).U32(m_nRecords + 2).U16(8).U16(0);
        b.U32(0).U32(0).U32(nPalEntries).I32s({1000, 1000, 100, 100, 0, 0, 0, 100000, 100000});
        b.Append(m_body).U32(14).U32(20).U32(0).U32(16).U32(20);
        b.Patch32(48, static_cast<std::uint32_t>(b.Size()));
        return b.Data();
    }

  private:
    Bytes m_body;
    std::uint32_t m_nRecords = 0;
};

// A placeable Windows metafile with the given bounding box, object count and records.
class WmfBuilder {
  public:
    // A record of 16-bit parameters.
    WmfBuilder& Rec(std::uint16_t nFunction, std::initializer_list<std::int32_t> params) {
        Bytes payload;
        payload.I16s(params);
        return Raw(nFunction, payload);
    }
    // A record with the payload as given (padded to a whole word).
    WmfBuilder& Raw(std::uint16_t nFunction, Bytes payload) {
        if (payload.Size() % 2) payload.U8(0);
        m_body.U32(static_cast<std::uint32_t>(3 + payload.Size() / 2)).U16(nFunction);
        m_body.Append(payload);
        return *this;
    }
    std::vector<std::uint8_t> Build(std::initializer_list<std::int32_t> box,
                                    std::uint16_t nObjects) const {
        Bytes b;
        b.U32(0x9AC6CDD7).U16(0).I16s(box).U16(1440).U32(0).U16(0);
        const std::uint32_t nWords = static_cast<std::uint32_t>((18 + m_body.Size()) / 2 + 3);
        b.U16(1).U16(9).U16(0x300).U32(nWords).U16(nObjects).U32(64).U16(0);
        b.Append(m_body).U32(3).U16(0);
        return b.Data();
    }

  private:
    Bytes m_body;
};

}  // namespace tessel::metafile::test
