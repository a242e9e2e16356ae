// Hot links: the event dialog preset from the first selected element, and its answer given to
// every element of the selection.
#include <cstdlib>

#include "document/link_slots.h"
#include "editor/tessel_edit.h"
#include "widgets/event_dialog.h"

namespace {

namespace slots = tessel::slots;
using HotLinkSlots = LINKPARAM[kHotLinkSlots];

// The number a list entry starts with ("12,C:\\A.WAV" gives 12), 0 when it starts with none.
int LeadingNumber(const std::string& strEntry) {
    return std::atoi(strEntry.c_str());
}

// The dialog's fields from the slots of a hot link, by its action.
void PresetDialog(CEventDlg& dlg, const HotLinkSlots& h, const CStringArray& media) {
    const int nCode = h[0].nValue;
    if (const int nPage = slots::HotLinkPageSlot(nCode)) dlg.m_strPage = h[nPage].strText;
    switch (nCode) {
        case slots::kActionPopupPage:
        case slots::kActionScorePage:
        case slots::kActionScoreAllPages:
            dlg.m_nLeft = h[slots::kHotLinkLeft].nValue;
            dlg.m_nTop = h[slots::kHotLinkTop].nValue;
            dlg.m_nRight = h[slots::kHotLinkRight].nValue;
            dlg.m_nBottom = h[slots::kHotLinkBottom].nValue;
            break;
        case slots::kActionNotePage:
            dlg.m_nRight = h[slots::kNoteRight].nValue;
            dlg.m_nBottom = h[slots::kNoteBottom].nValue;
            break;
        case slots::kActionReplaceSubPage:
            dlg.m_strIdent = std::to_string(h[slots::kHotLinkSubPage].nValue);
            break;
        case slots::kActionRunProgram:
            dlg.m_strFile = h[slots::kHotLinkProgram].strText;
            dlg.m_strParam = h[slots::kHotLinkParameters].strText;
            dlg.m_strCatalog = h[slots::kHotLinkCatalog].strText;
            dlg.m_bSetPath = h[slots::kHotLinkSetPath].nValue;
            dlg.m_nRunMode = h[slots::kHotLinkRunMode].nValue;
            break;
        case slots::kActionWebAddress:
            dlg.m_strWebsite = h[slots::kHotLinkAddress].strText;
            break;
        default:
            if (slots::IsMediaAction(nCode)) {
                if (h[slots::kHotLinkMedia].nType != 0)
                    dlg.m_strFile = h[slots::kHotLinkMedia].strText;
                else
                    dlg.m_bConnect = 1;
                dlg.m_dwPlayBegin = static_cast<DWORD>(h[slots::kHotLinkPlayBegin].nValue);
                dlg.m_dwPlayEnd = static_cast<DWORD>(h[slots::kHotLinkPlayEnd].nValue);
            }
            break;
    }
    dlg.m_nAction = nCode;
    // Whatever the action, the media entry numbered like the first parameter is the one
    // shown (the last of several so numbered).
    for (const std::string& strEntry : media)
        if (LeadingNumber(strEntry) == h[slots::kHotLinkMedia].nValue) dlg.m_strMedia = strEntry;
}

// The slots of a hot link from the dialog's answer; slots the action does not name keep
// their values.
void StoreAnswer(const CEventDlg& dlg, HotLinkSlots& h) {
    const int nCode = dlg.m_nAction;
    if (nCode < 0) {
        h[0].nValue = kNoHotLink;
        return;
    }
    h[0].nValue = nCode;
    if (const int nPage = slots::HotLinkPageSlot(nCode)) h[nPage].strText = dlg.m_strPage;
    switch (nCode) {
        case slots::kActionPopupPage:
        case slots::kActionScorePage:
        case slots::kActionScoreAllPages:
            h[slots::kHotLinkLeft].nValue = dlg.m_nLeft;
            h[slots::kHotLinkTop].nValue = dlg.m_nTop;
            h[slots::kHotLinkRight].nValue = dlg.m_nRight;
            h[slots::kHotLinkBottom].nValue = dlg.m_nBottom;
            break;
        case slots::kActionNotePage:
            h[slots::kNoteRight].nValue = dlg.m_nRight;
            h[slots::kNoteBottom].nValue = dlg.m_nBottom;
            break;
        case slots::kActionReplaceSubPage:
            h[slots::kHotLinkSubPage].nValue = LeadingNumber(dlg.m_strIdent);
            break;
        case slots::kActionRunProgram:
            h[slots::kHotLinkProgram].strText = dlg.m_strFile;
            h[slots::kHotLinkParameters].strText = dlg.m_strParam;
            h[slots::kHotLinkCatalog].strText = dlg.m_strCatalog;
            h[slots::kHotLinkSetPath].nValue = dlg.m_bSetPath;
            h[slots::kHotLinkRunMode].nValue = dlg.m_nRunMode;
            break;
        case slots::kActionWebAddress:
            h[slots::kHotLinkAddress].strText = dlg.m_strWebsite;
            break;
        default:
            if (slots::IsMediaAction(nCode)) {
                LINKPARAM& media = h[slots::kHotLinkMedia];
                if (!dlg.m_bConnect) {
                    media.nType = 1;
                    media.strText = dlg.m_strFile;
                } else {
                    media.nType = 0;
                    media.strText.clear();
                    media.nValue = LeadingNumber(dlg.m_strMedia);
                }
                // The positions are unsigned in the dialog and kept as the page's numbers.
                h[slots::kHotLinkPlayBegin].nValue = static_cast<int>(dlg.m_dwPlayBegin);
                h[slots::kHotLinkPlayEnd].nValue = static_cast<int>(dlg.m_dwPlayEnd);
            }
            break;
    }
}

}  // namespace

void CTesselEdit::OnInsertHLink() {
    if (RoutedToColumn(&CTesselEdit::OnInsertHLink)) return;
    if (!m_pList) return;
    // The link the dialog starts from is the first selected element's; no hot link when no
    // element stands there.
    const CLink blank;
    const CLink* pFirst = tessel::editor::LinkAt(*m_pList, m_SelStart.nLink);
    if (!pFirst) pFirst = &blank;
    HotLinkSlots h;
    for (int i = 0; i < kHotLinkSlots; ++i)
        h[i] = pFirst->m_HotLink[i];
    CEventDlg dlg(m_strLinkBase, &m_saMedia, &m_saPage, &m_saIdent, this);
    PresetDialog(dlg, h, m_saMedia);
    if (dlg.DoModal() != IDOK) return;
    StoreAnswer(dlg, h);
    // The selection leaves through the clipboard and comes back with the link on every
    // element, still selected: the path character formatting takes. Only text and pictures
    // take it, as only they keep one in the page: a link given to a formula or a frame would
    // be lost when the page is written.
    FormatSelection([&h](CLink& link) {
        if (!slots::CarriesHotLink(link)) return;
        for (int i = 0; i < kHotLinkSlots; ++i)
            link.m_HotLink[i] = h[i];
    });
}
