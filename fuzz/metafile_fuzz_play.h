#pragma once

// What the metafile targets do with a decoded picture: play it, without its text records
// (fonts need a GUI application, which a fuzz target does not start), into a small
// off-screen bitmap, at the picture's size and squeezed into another shape. Playing may draw
// anything but must stay inside the bitmap's memory, end, and leave the context as it was.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <variant>

#include "imaging/metafile/metafile.h"
#include "imaging/metafile/records.h"
#include "platform/gdi.h"

inline void PlayAndCheck(const tessel::metafile::Picture& decoded, const char* szTarget) {
    using namespace tessel::metafile;
    Picture picture = decoded;
    std::erase_if(picture.records,
                  [](const Record& r) { return std::holds_alternative<TextRecord>(r); });
    const Metafile metafile(std::move(picture));

    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap bitmap;
    bitmap.CreateBitmap(48, 32);
    CBitmap* pOld = dc.SelectObject(&bitmap);
    const COLORREF crText = dc.GetTextColor();
    metafile.Play(&dc, CRect(0, 0, 48, 32));
    metafile.Play(&dc, CRect(-7, 5, 20, 90));
    if (dc.GetTextColor() != crText) {
        std::fprintf(stderr, "%s: playing left the context changed\n", szTarget);
        std::abort();
    }
    dc.SelectObject(pOld);
}
