// Reads arbitrary bytes as the private clipboard data another process may have left, and
// checks that what is read survives being put on the clipboard again:
//
//   E1 = read(input)  D1 = write(E1)  E2 = read(D1)  D2 = write(E2)  E3 = read(D2) ...
//
// - The data written always start with a first line that reads back.
// - After a few rounds at most (the markup writer and reader settle as convert_fuzz checks)
//   nothing changes: the elements read are the same, slot for slot, and the data written
//   are the same bytes, however long the texts (which the writer splits into pieces the
//   markup reader reads whole).
// On a failure both sides are printed and the target aborts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "editor/clip_data.h"
#include "print_bytes.h"

namespace {

using tessel::editor::ClipData;

[[noreturn]] void Fail(const char* szWhat) {
    std::fprintf(stderr, "clip_fuzz: %s\n", szWhat);
    std::fflush(stderr);
    std::abort();
}

bool SameLists(const CMyList& a, const CMyList& b) {
    const CLink* p = a.FirstLink();
    const CLink* q = b.FirstLink();
    for (; p && q; p = p->m_pNext, q = q->m_pNext) {
        if (p->m_nKind != q->m_nKind) return false;
        for (int i = 0; i < kCommandSlots; ++i)
            if (!(p->m_Command[i] == q->m_Command[i])) return false;
        for (int i = 0; i < kFontSlots; ++i)
            if (!(p->m_Font[i] == q->m_Font[i])) return false;
        for (int i = 0; i < kColorSlots; ++i)
            if (!(p->m_Color[i] == q->m_Color[i])) return false;
        for (int i = 0; i < kHotLinkSlots; ++i)
            if (!(p->m_HotLink[i] == q->m_HotLink[i])) return false;
        if (!(p->m_FootNote[0] == q->m_FootNote[0])) return false;
    }
    return !p && !q;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    const std::string_view input(reinterpret_cast<const char*>(pData), nSize);
    const ClipData head{0x1234, 7};
    const auto e1 = ClipData::ReadElements(input);
    (void)tessel::editor::PlainTextOf(*e1);
    const std::string d1 = head.Write(*e1);
    const std::optional<ClipData> back = ClipData::Read(d1);
    if (!back || back->nProcess != head.nProcess || back->nSerial != head.nSerial) {
        PrintBytes("data", d1);
        Fail("the first line written does not read back");
    }
    std::string d = d1;
    auto e = ClipData::ReadElements(d);
    for (int nRound = 0;; ++nRound) {
        const std::string next = head.Write(*e);
        auto eNext = ClipData::ReadElements(next);
        if (next == d && SameLists(*e, *eNext)) break;
        if (nRound == 4) {
            PrintBytes("before", d);
            PrintBytes("after", next);
            Fail("elements keep changing when put on the clipboard again");
        }
        d = next;
        e = std::move(eNext);
    }
    return 0;
}
