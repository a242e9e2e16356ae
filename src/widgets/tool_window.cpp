#include "widgets/tool_window.h"

CEditToolWnd::~CEditToolWnd() {
    if (m_hWnd) DestroyWindow();
}

BOOL CEditToolWnd::Create(CTesselEdit* pEdit, CWnd* pEditWnd) {
    m_pEdit = pEdit;
    m_pEditWnd = pEditWnd;
    const char* szClass = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW);
    return CreateEx(WS_EX_TOOLWINDOW, szClass, "Text Editor", WS_POPUP | WS_CAPTION, 100, 100,
                    kWidth, kHeight, pEditWnd ? pEditWnd->m_hWnd : nullptr, 0);
}

const MessageMap* CEditToolWnd::GetMessageMap() const {
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<WM_KEYDOWN, &CEditToolWnd::OnKeyDown>(),
        MapMessage<WM_CHAR, &CEditToolWnd::OnChar>(),
    };
    static const MessageMap kMap{CWnd::GetThisMessageMap(), kEntries};
    return &kMap;
}

void CEditToolWnd::Forward(UINT message, UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (m_pEditWnd && m_pEditWnd->m_hWnd)
        m_pEditWnd->SendMessage(message, nChar, static_cast<LPARAM>((nFlags << 16) | nRepCnt));
}

void CEditToolWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    Forward(WM_KEYDOWN, nChar, nRepCnt, nFlags);
}

void CEditToolWnd::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
    Forward(WM_CHAR, nChar, nRepCnt, nFlags);
}
