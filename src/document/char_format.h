#pragma once

#include <string>
#include <string_view>

#include "document/link.h"

// The editor's current character format: what newly typed text gets.
struct CharFormat {
    std::string strFontName = "\xcb\xce\xcc\xe5";  // 宋体 in GBK
    int nFontSize = 12;
    int bItalic = 0;
    int bBold = 0;
    int bUnderline = 0;
    int nRed = 0;
    int nGreen = 0;
    int nBlue = 0;
    int bRaised = 0;
    int bLowered = 0;
    int nHotLink = kNoHotLink;

    // The footnote value the two flags stand for: raised 0, lowered 1, otherwise normal 2.
    int FootNote() const;

    bool operator==(const CharFormat&) const = default;
};

// The ten values that make a text run's format, as compared when deciding whether typed
// characters may join an existing run. Hot-link parameters are not part of it.
// A key views the face name of what it was made from and lives no longer than that.
struct FormatKey {
    std::string_view strFace;
    int nSize = 0;
    int nItalic = 0;
    int nBold = 0;
    int nUnderline = 0;
    int nRed = 0;
    int nGreen = 0;
    int nBlue = 0;
    int nFootNote = 0;
    int nHotLink = 0;

    bool operator==(const FormatKey&) const = default;

    static FormatKey Of(const CLink& link);      // values as stored
    static FormatKey Of(const CharFormat& fmt);  // style flags reduced to 0 or 1
};

// Makes pDest a copy of pSrc's description: kind and every slot. Picture and formula
// objects are not copied; the layout loads them again from the file name.
void CopyLink(CLink* pDest, const CLink* pSrc);
// Makes pLink an empty Text element in the given format (slot types and text untouched).
void InitLink(CLink* pLink, const CharFormat& fmt);
// 1 when the element's character format is the given one, else 0.
int IsFontSame(const CLink* pLink, const CharFormat& fmt);
// 1 when the two elements have the same character format, else 0.
int IsFontSameEachother(const CLink* pA, const CLink* pB);
