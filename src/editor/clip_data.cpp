#include "editor/clip_data.h"

#include <charconv>
#include <cstdio>

#include "document/char_format.h"
#include "document/gbk_char.h"
#include "document/link_slots.h"
#include "markup/markup_limits.h"
#include "markup/word_analyzer.h"

namespace tessel::editor {
namespace {

constexpr std::string_view kMagic = "tessel-clip 1 ";
// A piece of markup stays this far under what the reader converts at once.
constexpr std::size_t kPieceBytes = kMaxMarkupBytes - 4096;
// Text longer than this is written as several elements: even a text that is all line breaks
// (three bytes of markup each) then stays well under a piece.
constexpr std::size_t kTextSplitBytes = 4000;

std::string MarkupOf(const CLink& link) {
    CMyList one;
    auto* pCopy = new CLink;
    CopyLink(pCopy, &link);
    one.Append(pCopy);
    std::string out;
    CWordAnalyzer().CodeGeneration(out, &one, 0);
    return out;
}

// The markup of one element; a long text as several elements of its format.
void AppendMarkupOf(const CLink& link, std::string& out) {
    const std::string& text = slots::Text(link);
    if (link.m_nKind != kKindText || text.size() <= kTextSplitBytes) {
        out += MarkupOf(link);
        return;
    }
    CLink piece;
    CopyLink(&piece, &link);
    for (std::size_t nFrom = 0; nFrom < text.size();) {
        std::size_t nTo = nFrom;
        while (nTo < text.size() && nTo - nFrom < kTextSplitBytes)
            nTo += static_cast<std::size_t>(CharLength(text, nTo));
        slots::Text(piece) = text.substr(nFrom, nTo - nFrom);
        out += MarkupOf(piece);
        nFrom = nTo;
    }
}

}  // namespace

std::string ClipData::Write(CMyList& list) const {
    char szHead[64];
    std::snprintf(szHead, sizeof szHead, "%s%llx %lu\n", kMagic.data(),
                  static_cast<unsigned long long>(nProcess), nSerial);
    std::string out = szHead;
    // Most selections are written whole in one piece; one that is too long for the reader, or
    // holds a text longer than a piece's texts may be, is written element by element.
    bool bLongText = false;
    for (const CLink* p = list.FirstLink(); p && !bLongText; p = p->m_pNext)
        bLongText = p->m_nKind == kKindText && slots::Text(*p).size() > kTextSplitBytes;
    if (!bLongText) {
        std::string whole;
        CWordAnalyzer().CodeGeneration(whole, &list, 0);
        if (whole.size() <= kPieceBytes) {
            if (!whole.empty()) {
                out += whole;
                out += '\0';
            }
            return out;
        }
    }
    std::string piece;
    int nOpenColumns = 0;  // EndColumn marks still to come in the frame being written
    for (const CLink* p = list.FirstLink(); p; p = p->m_pNext) {
        std::string element;
        AppendMarkupOf(*p, element);
        // A frame is never cut across pieces: the reader must see it whole.
        if (nOpenColumns == 0 && !piece.empty() && piece.size() + element.size() > kPieceBytes) {
            out += piece;
            out += '\0';
            piece.clear();
        }
        piece += element;
        if (p->m_nKind == kKindMultiColumn && nOpenColumns == 0)
            nOpenColumns = std::max(0, slots::ColumnCount(*p));
        else if (p->m_nKind == kKindEndColumn && nOpenColumns > 0)
            --nOpenColumns;
    }
    if (!piece.empty()) {
        out += piece;
        out += '\0';
    }
    return out;
}

std::optional<ClipData> ClipData::Read(std::string_view bytes) {
    if (!bytes.starts_with(kMagic)) return std::nullopt;
    const std::size_t nEnd = bytes.find('\n');
    if (nEnd == std::string_view::npos) return std::nullopt;
    const char* p = bytes.data() + kMagic.size();
    const char* pEnd = bytes.data() + nEnd;
    ClipData data;
    unsigned long long nProcess = 0;
    auto [pSerial, ec] = std::from_chars(p, pEnd, nProcess, 16);
    if (ec != std::errc{} || pSerial == pEnd || *pSerial != ' ') return std::nullopt;
    auto [pLast, ec2] = std::from_chars(pSerial + 1, pEnd, data.nSerial);
    if (ec2 != std::errc{} || pLast != pEnd) return std::nullopt;
    data.nProcess = nProcess;
    return data;
}

std::unique_ptr<CMyList> ClipData::ReadElements(std::string_view bytes) {
    auto pList = std::make_unique<CMyList>();
    if (!Read(bytes)) return pList;
    const CWordAnalyzer analyzer;
    std::string_view rest = bytes.substr(bytes.find('\n') + 1);
    while (!rest.empty()) {
        const std::size_t nZero = rest.find('\0');
        const std::string piece(rest.substr(0, nZero));
        analyzer.Convert(piece.c_str(), pList.get());
        if (nZero == std::string_view::npos) break;
        rest.remove_prefix(nZero + 1);
    }
    return pList;
}

int ElementCount(const CMyList& flat) {
    int nCount = 0;
    for (const CLink* p = flat.FirstLink(); p; p = p->m_pNext) {
        ++nCount;
        if (p->m_nKind != kKindMultiColumn) continue;
        // The frame's columns follow it: up to the EndColumn that closes its last one.
        for (int nOpen = slots::ColumnCount(*p); nOpen > 0 && p->m_pNext;) {
            p = p->m_pNext;
            if (p->m_nKind == kKindEndColumn) --nOpen;
        }
    }
    return nCount;
}

std::string PlainTextOf(const CMyList& list) {
    std::string text;
    for (const CLink* p = list.FirstLink(); p; p = p->m_pNext) {
        if (p->m_nKind == kKindText) {
            text += slots::Text(*p);
        } else if (p->m_nKind == kKindEndColumn && !text.empty() && text.back() != '\n') {
            text += '\n';
        }
    }
    return text;
}

}  // namespace tessel::editor
