// Question objects: edit frames, judgement boxes, choices and score fields, inserted through
// their dialogs and changed.
//
// Every command runs its dialog first; Cancel changes nothing. On OK the new elements go in
// at the cursor, or the element's slots take the answers, and the one exit sequence
// (FinishChange) lays the page out and records the change as one step of the history.
#include <algorithm>
#include <string>

#include "document/link_slots.h"
#include "editor/tessel_edit.h"
#include "widgets/question_dialogs.h"

namespace slots = tessel::slots;

namespace {

void SetText(LINKPARAM& slot, const std::string& strText) {
    slot.nType = kParamText;
    slot.strText = strText;
}

CLink* NewObject(int nKind) {
    auto* pLink = new CLink;
    pLink->m_nKind = nKind;
    return pLink;
}

CLink* NewCheck(int nState) {
    CLink* pCheck = NewObject(kKindCheck);
    slots::CheckState(*pCheck) = nState;
    return pCheck;
}

// The dialog's answers into an edit frame's slots.
void StoreEditFrame(CLink& frame, const CEditFrameDlg& dlg) {
    frame.m_nKind = kKindEdit;
    slots::EditWidth(frame) = dlg.m_nWidth;
    slots::EditHeight(frame) = dlg.m_nHeight;
    SetText(slots::EditAnswerParam(frame), dlg.m_strResult);
    slots::EditTextColor(frame) = static_cast<int>(dlg.m_clrFont);
    slots::EditBackColor(frame) = static_cast<int>(dlg.m_clrBack);
    slots::EditStyle(frame) = dlg.m_nStyle;
}

// Score fields are always made in the same format: Times New Roman of 16 pixels, bold weight
// 100, underlined, red.
CLink* NewScoreField(int nKind, const std::string& strPage) {
    CLink* pScore = NewObject(nKind);
    SetText(slots::FontFaceParam(*pScore), "Times New Roman");
    slots::FontSize(*pScore) = 16;
    slots::FontItalic(*pScore) = 0;
    slots::FontBold(*pScore) = 100;
    slots::FontUnderline(*pScore) = 1;
    slots::ColourRed(*pScore) = 255;
    slots::ColourGreen(*pScore) = 0;
    slots::ColourBlue(*pScore) = 0;
    SetText(slots::ScorePageParam(*pScore), strPage);
    return pScore;
}

}  // namespace

// --- Inserting ---------------------------------------------------------------------------------

void CTesselEdit::OnInsertEdit() {
    if (RoutedToColumn(&CTesselEdit::OnInsertEdit)) return;
    if (!m_pList) return;
    CEditFrameDlg dlg(this);
    if (dlg.DoModal() != IDOK) return;
    CLink* pFrame = NewObject(kKindEdit);
    StoreEditFrame(*pFrame, dlg);
    InsertLinkInCurr(pFrame, m_pList);
    FinishChange(nullptr);
}

void CTesselEdit::OnInsertCheck() {
    if (RoutedToColumn(&CTesselEdit::OnInsertCheck)) return;
    if (!m_pList) return;
    CJudgmentDlg dlg(CJudgmentDlg::kJudgement, this);
    if (dlg.DoModal() != IDOK) return;
    InsertLinkInCurr(NewCheck(dlg.m_bCorrect), m_pList);
    FinishChange(nullptr);
}

void CTesselEdit::OnInsertChoice() {
    if (RoutedToColumn(&CTesselEdit::OnInsertChoice)) return;
    if (!m_pList) return;
    COptionsDlg dlg(this);
    if (dlg.DoModal() != IDOK) return;
    CLink* pChoice = NewObject(kKindChoice);
    slots::ChoiceAnswer(*pChoice) = dlg.m_nRight;
    slots::ChoiceOptions(*pChoice) = dlg.m_nAmount;
    InsertLinkInCurr(pChoice, m_pList);
    // Each option box lands after the one before it.
    for (int i = 1; i <= dlg.m_nAmount; ++i)
        InsertLinkInCurr(NewCheck(i == dlg.m_nRight ? slots::kOptionRight : slots::kOptionWrong),
                         m_pList);
    FinishChange(nullptr);
}

void CTesselEdit::OnInsertPageScore() {
    if (RoutedToColumn(&CTesselEdit::OnInsertPageScore)) return;
    if (!m_pList) return;
    // The host gave its page names to the top-level editor.
    CJudgmentDlg dlg(CJudgmentDlg::kPageScore, this);
    dlg.m_pPageList = &HistoryOwner().m_saPage;
    if (dlg.DoModal() != IDOK) return;
    InsertLinkInCurr(NewScoreField(kKindPageScore, dlg.m_strPage), m_pList);
    FinishChange(nullptr);
}

void CTesselEdit::OnInsertTotalScore() {
    if (RoutedToColumn(&CTesselEdit::OnInsertTotalScore)) return;
    if (!m_pList) return;
    InsertLinkInCurr(NewScoreField(kKindTotalScore, std::string()), m_pList);
    FinishChange(nullptr);
}

void CTesselEdit::OnInsertPageTotalScore() {
    if (RoutedToColumn(&CTesselEdit::OnInsertPageTotalScore)) return;
    if (!m_pList) return;
    CJudgmentDlg dlg(CJudgmentDlg::kPageTotalScore, this);
    dlg.m_pPageList = &HistoryOwner().m_saPage;
    if (dlg.DoModal() != IDOK) return;
    InsertLinkInCurr(NewScoreField(kKindPageTotalScore, dlg.m_strPage), m_pList);
    FinishChange(nullptr);
}

// --- Changing ----------------------------------------------------------------------------------

void CTesselEdit::ChangeEditFrame(CLink* pFrame) {
    if (!pFrame) return;
    CEditFrameDlg dlg(this);
    dlg.m_nWidth = slots::EditWidth(*pFrame);
    dlg.m_nHeight = std::max(slots::EditHeight(*pFrame), CEditFrameDlg::kMinHeight);
    dlg.m_strResult = slots::EditAnswer(*pFrame);
    dlg.m_clrFont = static_cast<COLORREF>(slots::EditTextColor(*pFrame));
    dlg.m_clrBack = static_cast<COLORREF>(slots::EditBackColor(*pFrame));
    dlg.m_nStyle = slots::EditStyle(*pFrame);
    if (dlg.DoModal() != IDOK) return;
    StoreEditFrame(*pFrame, dlg);
    FinishChange(nullptr);
}

void CTesselEdit::ChangeJudgement(CLink* pCheck) {
    if (!pCheck) return;
    CJudgmentDlg dlg(CJudgmentDlg::kJudgement, this);
    dlg.m_bCorrect = slots::CheckState(*pCheck);
    if (dlg.DoModal() != IDOK) return;
    slots::CheckState(*pCheck) = dlg.m_bCorrect;
    FinishChange(nullptr);
}

void CTesselEdit::ChangeOptionBox(CLink* pOption) {
    if (!pOption || !m_pList) return;
    // An option box stands for its choice: the nearest Choice before it.
    CLink* pChoice = nullptr;
    for (CLink* pLink = m_pList->FirstLink(); pLink && pLink != pOption; pLink = pLink->m_pNext)
        if (pLink->m_nKind == kKindChoice) pChoice = pLink;
    if (pChoice) ChangeChoice(pChoice);
}

void CTesselEdit::ChangeChoice(CLink* pChoice) {
    if (!pChoice || !m_pList) return;
    const int nOldRight = slots::ChoiceAnswer(*pChoice);
    const int nOldAmount = slots::ChoiceOptions(*pChoice);
    COptionsDlg dlg(this);
    dlg.m_nRight = nOldRight;
    dlg.m_nAmount = nOldAmount;
    if (dlg.DoModal() != IDOK) return;
    int nRight = dlg.m_nRight;
    int nAmount = dlg.m_nAmount;
    // Options are added, at the cursor, and never removed.
    if (nAmount > nOldAmount) {
        for (int i = nOldAmount; i < nAmount; ++i)
            InsertLinkInCurr(NewCheck(slots::kOptionWrong), m_pList);
    } else {
        nAmount = nOldAmount;
    }
    slots::ChoiceOptions(*pChoice) = nAmount;
    if (nRight != nOldRight) {
        nRight = std::min(nRight, nAmount);
        slots::ChoiceAnswer(*pChoice) = nRight;
        // The options after the choice, numbered from 1, up to the first Check that is no
        // option box; other elements between them are passed over.
        int nOption = 0;
        for (CLink* pLink = pChoice->m_pNext; pLink && nOption < nAmount; pLink = pLink->m_pNext) {
            if (pLink->m_nKind != kKindCheck) continue;
            if (!slots::IsOptionBox(*pLink)) break;
            ++nOption;
            slots::CheckState(*pLink) =
                nOption == nRight ? slots::kOptionRight : slots::kOptionWrong;
        }
    }
    FinishChange(nullptr);
}

void CTesselEdit::ChangePageScore(CLink* pScore) {
    if (!pScore) return;
    int nMode = 0;
    if (pScore->m_nKind == kKindPageScore)
        nMode = CJudgmentDlg::kPageScore;
    else if (pScore->m_nKind == kKindPageTotalScore)
        nMode = CJudgmentDlg::kPageTotalScore;
    else
        return;  // a total score has no properties
    CJudgmentDlg dlg(nMode, this);
    dlg.m_strPage = slots::ScorePage(*pScore);
    dlg.m_pPageList = &HistoryOwner().m_saPage;
    if (dlg.DoModal() != IDOK) return;
    SetText(slots::ScorePageParam(*pScore), dlg.m_strPage);
    FinishChange(nullptr);
}
