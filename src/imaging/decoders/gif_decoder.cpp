#include "imaging/decoders/gif_decoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/decoders/byte_order.h"
#include "imaging/decoders/decoder_limits.h"

namespace tessel::imaging {

namespace {

constexpr int kMaxCodes = 4096;  // 12-bit codes
constexpr int kMaxCodeBits = 12;
// Frames up to this many pixels are believed whatever their data.
constexpr std::int64_t kFreePixels = std::int64_t{1} << 16;

// The most pixels LZW data of nDataBytes bytes can give. Every code takes at least
// nMinBits + 1 bits; the k-th code after a clear gives at most k pixels (each new string is
// one pixel longer than one already known), and no code more than kMaxCodes.
std::int64_t MostPixels(std::int64_t nDataBytes, int nMinBits) {
    const std::int64_t nCodes = nDataBytes * 8 / (nMinBits + 1);
    const std::int64_t nRamp = std::min<std::int64_t>(nCodes, kMaxCodes);
    return nRamp * (nRamp + 1) / 2 + (nCodes - nRamp) * kMaxCodes;
}

// Where decoded pixels go: row by row into a frame's DIB, in the row order of the file
// (interlaced or not). At 8 bits per pixel the rows are written in place. At 1 and 4 bits
// rows are gathered at one byte per pixel in a ring of row buffers and packed into the DIB
// as each is completed; a row stays readable in the ring for RingRows() rows after it.
class FrameRows {
  public:
    FrameRows(DibImage& dib, bool bInterlaced, std::vector<std::uint8_t>& scratch)
        : m_dib(dib),
          m_nWidth(dib.Width()),
          m_nHeight(dib.Height()),
          m_bInterlaced(bInterlaced),
          m_bPacked(dib.BitCount() != 8) {
        m_bDone = m_nWidth == 0 || m_nHeight == 0;
        if (m_bDone) return;
        if (m_bPacked) {
            m_nRingRows = std::max(1, std::min(kRingBytes / m_nWidth, m_nHeight));
            std::size_t nBytes = static_cast<std::size_t>(m_nRingRows) * m_nWidth + kSlack;
            if (scratch.size() < nBytes) scratch.resize(nBytes);
            m_pRing = scratch.data();
            m_pReadEnd = scratch.data() + scratch.size();
        } else {
            m_pReadEnd = dib.bits.data() + dib.bits.size();
        }
        m_pRow = RowBuffer();
    }

    // The row being written (null once every row is there) and the width of rows.
    std::uint8_t* Row() const { return m_bDone ? nullptr : m_pRow; }
    int Width() const { return m_nWidth; }
    // Takes the row as complete and moves to the next; null when that was the last.
    std::uint8_t* NextRow() {
        if (m_bPacked) Pack();
        ++m_nSerial;
        if (!m_bInterlaced) {
            ++m_nY;
        } else {
            m_nY += kPassStep[m_nPass];
            while (m_nY >= m_nHeight && m_nPass < 3)
                m_nY = kPassStart[++m_nPass];
        }
        m_bDone = m_nY >= m_nHeight;
        if (!m_bDone) m_pRow = RowBuffer();
        return Row();
    }
    // Rows a row stays readable after it was written: how far back a copy may be taken from.
    int RingRows() const { return m_nRingRows; }
    // Reads of pixels already written may run on to here.
    const std::uint8_t* ReadEnd() const { return m_pReadEnd; }
    // Ends the frame where the data ended, at pAt in the current row: the rest is index 0.
    void Finish(std::uint8_t* pAt) {
        if (m_bDone) return;
        std::memset(pAt, 0, m_pRow + m_nWidth - pAt);
        if (m_bPacked && pAt > m_pRow) Pack();
    }

  private:
    static constexpr int kPassStart[4] = {0, 4, 2, 1};
    static constexpr int kPassStep[4] = {8, 8, 4, 2};
    static constexpr int kRingBytes = 64 * 1024;
    static constexpr std::size_t kSlack = 16;  // room for whole 8-byte reads

    std::uint8_t* RowBuffer() {
        if (!m_bPacked) return m_dib.Row(m_nY);
        return m_pRing + static_cast<std::size_t>(m_nSerial % m_nRingRows) * m_nWidth;
    }

    void Pack() {
        std::uint8_t* pOut = m_dib.Row(m_nY);
        const std::uint8_t* pIn = m_pRow;
        if (m_dib.BitCount() == 4) {
            int x = 0;
            for (; x + 1 < m_nWidth; x += 2) {
                *pOut++ = static_cast<std::uint8_t>((pIn[x] << 4) | (pIn[x + 1] & 15));
            }
            if (x < m_nWidth) *pOut = static_cast<std::uint8_t>(pIn[x] << 4);
        } else {
            for (int x = 0; x < m_nWidth; x += 8) {
                int nByte = 0;
                for (int i = 0; i < 8; ++i) {
                    nByte = (nByte << 1) | (x + i < m_nWidth ? pIn[x + i] & 1 : 0);
                }
                *pOut++ = static_cast<std::uint8_t>(nByte);
            }
        }
    }

    DibImage& m_dib;
    const int m_nWidth;
    const int m_nHeight;
    const bool m_bInterlaced;
    const bool m_bPacked;
    std::uint8_t* m_pRing = nullptr;
    int m_nRingRows = 1 << 30;  // rows written in place stay readable
    const std::uint8_t* m_pReadEnd = nullptr;
    std::uint8_t* m_pRow = nullptr;
    int m_nY = 0;  // the picture's row, from the top
    int m_nPass = 0;
    int m_nSerial = 0;
    bool m_bDone = false;
};

// The string table of the LZW decoder. Each entry is a prefix entry plus one pixel, with its
// length and first pixel, so that it can be written back to front from its links. Most
// strings also have a copy in the pixels already written (the output of an entry's prefix
// followed by the next output's first pixel, when both lie in one row); they are then
// copied from there instead.
struct LzwTable {
    struct Link {
        std::uint16_t nPrefix;
        std::uint16_t nLength;
        std::uint8_t nSuffix;
        std::uint8_t nFirst;
    };
    Link links[kMaxCodes];
    const std::uint8_t* copy[kMaxCodes];  // null when there is none
    int serial[kMaxCodes];                // the row the copy lies in
    std::uint8_t spill[kMaxCodes];        // a string that runs over the end of a row
};

// Reads the variable-width codes of the data sub-blocks [p, pEnd), least significant bit
// first.
class CodeReader {
  public:
    CodeReader(const std::uint8_t* p, const std::uint8_t* pEnd) : m_p(p), m_pEnd(pEnd) {}

    // The next code of nBits bits; -1 when the data has ended.
    int Next(int nBits) {
        if (m_nBits < nBits && !Fill(nBits)) return -1;
        int nCode = static_cast<int>(m_nAcc & ((1u << nBits) - 1));
        m_nAcc >>= nBits;
        m_nBits -= nBits;
        return nCode;
    }

  private:
    bool Fill(int nBits) {
        if (m_nLeft >= 4) {  // the usual case: four bytes at once
            m_nAcc |= std::uint64_t{ReadU32(m_p)} << m_nBits;
            m_p += 4;
            m_nLeft -= 4;
            m_nBits += 32;
            return true;
        }
        while (m_nBits < nBits) {
            if (m_nLeft == 0) {
                if (m_p >= m_pEnd || *m_p == 0) return false;  // no data, or the terminator
                const std::size_t nBlock = *m_p++;
                m_nLeft = std::min<std::size_t>(nBlock, m_pEnd - m_p);
                if (m_nLeft == 0) return false;
            }
            m_nAcc |= std::uint64_t{*m_p++} << m_nBits;
            m_nBits += 8;
            --m_nLeft;
        }
        return true;
    }

    const std::uint8_t* m_p;
    const std::uint8_t* const m_pEnd;
    std::size_t m_nLeft = 0;  // bytes left in the current sub-block
    std::uint64_t m_nAcc = 0;
    int m_nBits = 0;
};

// Copies a string of n pixels from an earlier place of the output. Whole 8-byte words when
// the row has room for the overrun (later pixels of the row overwrite it) and the reads stay
// inside the buffer; the source lies wholly before the destination in the output.
inline void CopyPixels(std::uint8_t* pTo, const std::uint8_t* pFrom, int n, int nRoom,
                       const std::uint8_t* pReadEnd) {
    const int nWords = (n + 7) & ~7;
    if (nWords > nRoom || nWords > pReadEnd - pFrom) {
        std::memcpy(pTo, pFrom, n);
        return;
    }
    for (int i = 0; i < nWords; i += 8) {
        std::uint64_t nWord;
        std::memcpy(&nWord, pFrom + i, 8);
        std::memcpy(pTo + i, &nWord, 8);
    }
}

// Decodes one frame's LZW data (the sub-blocks in [p, pEnd)) into its rows. Stops at the
// end code, when every pixel is there, when the data runs out, or at a code the table has
// not reached. The state lives in locals here: pixel stores may alias anything they could
// reach.
void DecodeLzw(const std::uint8_t* p, const std::uint8_t* pEnd, int nMinBits, LzwTable& t,
               FrameRows& rows) {
    const int nClear = 1 << nMinBits;
    const int nEnd = nClear + 1;
    for (int i = 0; i < nClear; ++i) {
        t.links[i] = {0, 1, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i)};
    }
    CodeReader in(p, pEnd);
    const int nWidth = rows.Width();
    const int nRingRows = rows.RingRows();
    const std::uint8_t* const pReadEnd = rows.ReadEnd();
    std::uint8_t* pOut = rows.Row();  // the next pixel; null when the frame is complete
    int nRoom = nWidth;               // pixels left in the row
    int nSerial = 0;                  // rows completed
    auto nextRow = [&] {
        pOut = rows.NextRow();
        nRoom = nWidth;
        ++nSerial;
    };
    int nBits = nMinBits + 1;
    int nNext = nClear + 2;
    int nPrev = -1;
    const std::uint8_t* pPrevOut = nullptr;  // where the previous string went, if in one row
    while (pOut) {
        const int nCode = in.Next(nBits);
        if (nCode < 0 || nCode == nEnd) break;
        if (nCode == nClear) {
            nBits = nMinBits + 1;
            nNext = nClear + 2;
            nPrev = -1;
            continue;
        }
        if (nPrev < 0) {  // the first code after a clear is a single pixel
            if (nCode > nClear) break;
            pPrevOut = pOut;
            *pOut++ = static_cast<std::uint8_t>(nCode);
            if (--nRoom == 0) nextRow();
            nPrev = nCode;
            continue;
        }
        if (nCode > nNext || (nCode == nNext && nNext == kMaxCodes)) break;
        const int nPrevLength = t.links[nPrev].nLength;
        const int nLength = nCode == nNext ? nPrevLength + 1 : t.links[nCode].nLength;
        const bool bInRow = nLength <= nRoom;
        // The new entry: the previous string and this one's first pixel. It lies in the
        // output where the previous string went when this one follows it in the same row.
        const int nNew = nNext;
        if (nNext < kMaxCodes) {
            const std::uint8_t nFirst = t.links[nCode == nNext ? nPrev : nCode].nFirst;
            t.links[nNext] = {static_cast<std::uint16_t>(nPrev),
                              static_cast<std::uint16_t>(nPrevLength + 1), nFirst,
                              t.links[nPrev].nFirst};
            const bool bJoined = bInRow && pPrevOut && pPrevOut + nPrevLength == pOut;
            t.copy[nNext] = bJoined ? pPrevOut : nullptr;
            t.serial[nNext] = nSerial;
            ++nNext;
            if (nNext == (1 << nBits) && nBits < kMaxCodeBits) ++nBits;
        }
        const bool bNewCode = nCode == nNew;
        nPrev = nCode;

        std::uint8_t* const pString = bInRow ? pOut : t.spill;
        const std::uint8_t* pCopy = t.copy[nCode];
        if (nLength == 1) {
            *pString = static_cast<std::uint8_t>(nCode);
        } else if (bNewCode && pCopy && bInRow) {
            // The previous string, which ends where this one starts, and its first pixel.
            CopyPixels(pString, pCopy, nLength - 1, nRoom, pReadEnd);
            pString[nLength - 1] = t.links[nCode].nSuffix;
        } else if (!bNewCode && pCopy && nSerial - t.serial[nCode] < nRingRows) {
            CopyPixels(pString, pCopy, nLength, bInRow ? nRoom : 0, pReadEnd);
        } else {
            std::uint8_t* pAt = pString + nLength - 1;
            int c = nCode;
            while (c >= nClear) {
                const LzwTable::Link& link = t.links[c];
                *pAt-- = link.nSuffix;
                c = link.nPrefix;
            }
            *pAt = static_cast<std::uint8_t>(c);
        }
        if (bInRow) {
            if (nLength > 1) {
                t.copy[nCode] = pOut;
                t.serial[nCode] = nSerial;
            }
            pPrevOut = pOut;
            pOut += nLength;
            nRoom -= nLength;
            if (nRoom == 0) nextRow();
            continue;
        }
        pPrevOut = nullptr;
        for (int nDone = 0; nDone < nLength && pOut;) {
            const int n = std::min(nLength - nDone, nRoom);
            std::memcpy(pOut, t.spill + nDone, n);
            nDone += n;
            pOut += n;
            nRoom -= n;
            if (nRoom == 0) nextRow();
        }
    }
    if (pOut) rows.Finish(pOut);
}

// Skips data sub-blocks from pos; returns the position after the terminator (or the end).
std::size_t SkipSubBlocks(ByteSpan file, std::size_t pos, std::int64_t* pDataBytes = nullptr) {
    std::int64_t nData = 0;
    while (pos < file.size()) {
        std::size_t n = file[pos++];
        if (n == 0) break;
        n = std::min(n, file.size() - pos);
        nData += static_cast<std::int64_t>(n);
        pos += n;
    }
    if (pDataBytes) *pDataBytes = nData;
    return pos;
}

void SetColours(DibImage& dib, const std::uint8_t* pTable, int nColours) {
    for (int i = 0; i < nColours; ++i) {
        DibColour& c = dib.info.bmiColors[i];
        if (pTable) {
            c.rgbRed = pTable[3 * i];
            c.rgbGreen = pTable[3 * i + 1];
            c.rgbBlue = pTable[3 * i + 2];
        } else {
            c.rgbRed = c.rgbGreen = c.rgbBlue = static_cast<std::uint8_t>(i);
        }
    }
}

class GifReader {
  public:
    explicit GifReader(ByteSpan file) : m_file(file) {}

    std::optional<GifImage> Read() {
        if (m_file.size() < 13 || std::memcmp(m_file.data(), "GIF", 3) != 0) return std::nullopt;
        GifImage gif;
        if (std::memcmp(&m_file[3], "87a", 3) == 0) {
            gif.nVersion = 87;
        } else if (std::memcmp(&m_file[3], "89a", 3) == 0) {
            gif.nVersion = 89;
        } else {
            return std::nullopt;
        }
        gif.nWidth = ReadU16(&m_file[6]);
        gif.nHeight = ReadU16(&m_file[8]);
        gif.nFlags = m_file[10];
        gif.nBackground = m_file[11];
        gif.nAspect = m_file[12];
        m_pos = 13;
        if (gif.nFlags & 0x80) {
            m_nGlobalColours = 2 << (gif.nFlags & 7);
            if (m_file.size() - m_pos < m_nGlobalColours * 3u) return std::nullopt;
            m_pGlobal = &m_file[m_pos];
            m_pos += m_nGlobalColours * 3u;
        }

        GifControl control;
        while (m_pos < m_file.size() && gif.frames.size() < kMaxGifFrames) {
            const std::uint8_t nByte = m_file[m_pos++];
            if (nByte == ';') break;
            if (nByte == '!') {
                if (m_pos >= m_file.size()) break;
                const std::uint8_t nLabel = m_file[m_pos++];
                if (nLabel != 0xF9) {
                    m_pos = SkipSubBlocks(m_file, m_pos);
                    continue;
                }
                if (m_file.size() - m_pos < 6) break;
                const std::uint8_t* p = &m_file[m_pos];
                control = GifControl{p[0], p[1], ReadU16(p + 2), p[4], p[5]};
                m_pos = SkipSubBlocks(m_file, std::min(m_pos + 1 + p[0], m_file.size()));
            } else if (nByte == ',') {
                std::optional<GifFrame> frame;
                if (!ReadFrame(frame)) break;
                if (frame) {
                    frame->control = control;
                    control = GifControl{};
                    gif.frames.push_back(std::move(*frame));
                }
            }
        }
        return gif;
    }

  private:
    // Reads one frame after its ","; false when the file ends before the frame's data.
    // frame stays empty when the frame is skipped.
    bool ReadFrame(std::optional<GifFrame>& frame) {
        if (m_file.size() - m_pos < 10) return false;
        const std::uint8_t* d = &m_file[m_pos];
        const int nWidth = ReadU16(d + 4), nHeight = ReadU16(d + 6);
        const std::uint8_t nFlags = d[8];
        m_pos += 9;
        const std::uint8_t* pTable = m_pGlobal;
        int nColours = m_pGlobal ? m_nGlobalColours : 256;
        if (nFlags & 0x80) {
            nColours = 2 << (nFlags & 7);
            if (m_file.size() - m_pos < nColours * 3u + 1) return false;
            pTable = &m_file[m_pos];
            m_pos += nColours * 3u;
        }
        const int nMinBits = m_file[m_pos++];
        const std::size_t nDataAt = m_pos;
        std::int64_t nDataBytes = 0;
        m_pos = SkipSubBlocks(m_file, m_pos, &nDataBytes);

        const std::int64_t nPixels = std::int64_t{nWidth} * nHeight;
        if (nMinBits < 2 || nMinBits > 8 || nPixels > kMaxPixels ||
            nPixels > std::max(kFreePixels, MostPixels(nDataBytes, nMinBits)) ||
            m_nPixels + nPixels > kMaxGifPixels) {
            return true;
        }
        m_nPixels += nPixels;

        frame.emplace();
        frame->nLeft = ReadU16(d);
        frame->nTop = ReadU16(d + 2);
        frame->nWidth = nWidth;
        frame->nHeight = nHeight;
        frame->nFlags = nFlags;
        const int nBitCount = nColours <= 2 ? 1 : nColours <= 16 ? 4 : 8;
        InitDib(frame->dib, nWidth, nHeight, nBitCount, nColours);
        SetColours(frame->dib, pTable, nColours);

        if (!m_table) m_table = std::make_unique<LzwTable>();
        FrameRows rows(frame->dib, frame->IsInterlaced(), m_scratch);
        DecodeLzw(m_file.data() + nDataAt, m_file.data() + m_pos, nMinBits, *m_table, rows);
        return true;
    }

    ByteSpan m_file;
    std::size_t m_pos = 0;
    const std::uint8_t* m_pGlobal = nullptr;
    int m_nGlobalColours = 0;
    std::int64_t m_nPixels = 0;  // pixels of the frames kept so far
    std::unique_ptr<LzwTable> m_table;
    std::vector<std::uint8_t> m_scratch;  // the ring of rows of FrameRows, for 1 and 4 bits
};

}  // namespace

std::optional<GifImage> ReadGif(ByteSpan file) {
    try {
        return GifReader(file).Read();
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace tessel::imaging
