#pragma once

// Modal dialogs described as data, with data exchange between a dialog's members and its
// controls, and message boxes. docs/dialogs.md shows how a dialog is written.
//
// A dialog is a table: a title, an optional group box round the fields, and the controls,
// each with its id, kind, label and place (a cell of a grid). The framework builds the
// dialog from the table with the desktop's own controls (Qt's style and fonts), sizes it to
// its labels, and adds OK and Cancel. A dialog class derives from CDialog, keeps its values
// in members, moves them to and from the controls in DoDataExchange with the DDX_ and DDV_
// functions (which refuse what is not an integer or out of range with the framework's
// standard messages), and reacts to its controls in OnCommand.
//
// Headless first: while an answerer is set (SetDialogAnswerer), a modal dialog is not shown;
// the answerer fills it in as a user would and presses its buttons. Without an answerer and
// without a screen (the offscreen platform) a dialog is cancelled and a message box gives
// its safe answer (OK, or No).

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_dialog.h"
#include "platform/geometry.h"
#include "platform/wnd.h"

// --- Message boxes ------------------------------------------------------------------------------
inline constexpr UINT MB_OK = 0x0000;
inline constexpr UINT MB_OKCANCEL = 0x0001;
inline constexpr UINT MB_YESNOCANCEL = 0x0003;
inline constexpr UINT MB_YESNO = 0x0004;
inline constexpr UINT MB_ICONERROR = 0x0010;
inline constexpr UINT MB_ICONQUESTION = 0x0020;
inline constexpr UINT MB_ICONWARNING = 0x0030;
inline constexpr UINT MB_ICONINFORMATION = 0x0040;
inline constexpr UINT MB_DEFBUTTON2 = 0x0100;
inline constexpr UINT MB_TYPEMASK = 0x000F;
inline constexpr UINT MB_ICONMASK = 0x00F0;

inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Shows a message box owned by pOwner (may be null) and returns the button pressed: IDOK,
// IDCANCEL, IDYES or IDNO. Texts are GBK; a null caption is the application's name.
int MessageBox(CWnd* pOwner, std::string_view strText, const char* szCaption = nullptr,
               UINT nType = MB_OK);
// The same with the application's name as caption and no owner.
int AfxMessageBox(std::string_view strText, UINT nType = MB_OK);

// --- The description of a dialog ---------------------------------------------------------------
// The id of a control nothing refers to (a plain label).
inline constexpr int IDC_STATIC = -1;

enum class DlgItemKind {
    kLabel,     // a line of text
    kEdit,      // a one-line edit field
    kCheck,     // a check box, its label beside it
    kDropList,  // a drop-down list to choose from (nothing can be typed)
    kComboBox,  // an edit field with a drop-down list of entries to take its text from
    kButton,    // a push button
    kIcon,      // the information icon
    kHost,      // an empty place of the given size, for a window control of the dialog's own
};

// Item flags.
inline constexpr DWORD DIF_SORT = 0x0001;      // a list that keeps its entries sorted
inline constexpr DWORD DIF_HIDDEN = 0x0002;    // hidden when the dialog opens
inline constexpr DWORD DIF_DISABLED = 0x0004;  // greyed when the dialog opens

// A cell of the dialog's grid: rows from the top, columns from the left, from 0.
struct DlgCell {
    int nRow = 0;
    int nColumn = 0;
    int nColumnSpan = 1;
    constexpr DlgCell() = default;
    constexpr DlgCell(int row, int column, int columnSpan = 1)
        : nRow(row), nColumn(column), nColumnSpan(columnSpan) {}
};

struct DlgItem {
    int nID = IDC_STATIC;
    DlgItemKind kind = DlgItemKind::kLabel;
    const char* szText = "";  // GBK; "&" marks the key that goes to the control
    DlgCell place;
    DWORD dwFlags = 0;
    CSize size;  // the least size in pixels (0: as the text needs); a host's size
    constexpr DlgItem(int id, DlgItemKind itemKind, const char* text, DlgCell cell, DWORD flags = 0,
                      CSize least = {})
        : nID(id), kind(itemKind), szText(text), place(cell), dwFlags(flags), size(least) {}
};

struct DlgTemplate {
    UINT nIDTemplate = 0;           // the number the dialog is known by
    const char* szTitle = "";       // GBK
    const char* szGroup = nullptr;  // the group box round every item; null for none
    std::vector<DlgItem> items;
};

// Notification codes a dialog's OnCommand receives with the control's id, besides BN_CLICKED
// (a button pressed, a check box toggled) and CBN_SELCHANGE (an entry chosen in a list).
inline constexpr UINT EN_KILLFOCUS = 0x0200;  // an edit field lost the focus
inline constexpr UINT EN_CHANGE = 0x0300;     // an edit field's text changed

class CDialog;

// --- Data exchange -----------------------------------------------------------------------------
// One UpdateData: the direction, and whether a check has failed (the remaining exchanges are
// then skipped and UpdateData returns FALSE).
class CDataExchange {
  public:
    CDataExchange(CDialog* pDlg, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlg) {}
    // The control the following DDV check is about.
    void PrepareCtrl(int nID) { m_idLastControl = nID; }
    // A check failed: the focus goes to the control and the exchange stops.
    void Fail();
    bool Failed() const { return m_bFailed; }

    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
    int m_idLastControl = 0;

  private:
    bool m_bFailed = false;
};

// The framework's standard messages for DDX_Text into an integer and for DDV_MinMaxInt.
inline constexpr const char* kIntegerMessage = "Please enter an integer.";
inline constexpr const char* kIntegerRangeMessage = "Please enter an integer between %d and %d.";
// The framework's standard message for DDX_Text into an unsigned 32-bit number.
inline constexpr const char* kUnsignedMessage = "Please enter a positive integer.";

void DDX_Text(CDataExchange* pDX, int nID, std::string& value);
// An integer field: blanks round an optional sign and digits are allowed; anything else, or
// a number outside int, draws kIntegerMessage.
void DDX_Text(CDataExchange* pDX, int nID, int& value);
// An unsigned 32-bit field: blanks round an optional "+" and digits are allowed; anything else,
// or a number beyond 4294967295, draws kUnsignedMessage.
void DDX_Text(CDataExchange* pDX, int nID, DWORD& value);
void DDX_Check(CDataExchange* pDX, int nID, int& value);
// The index of a list's chosen entry (-1: none).
void DDX_CBIndex(CDataExchange* pDX, int nID, int& value);
// The text of a list's chosen entry (a kComboBox's: its text, typed or taken from an entry).
// Loading chooses the entry equal to the value, else the first that starts with it (letter
// case aside); none leaves the choice as it is. A kComboBox that has no such entry, or is
// given an empty value, chooses no entry and shows the value as its text.
void DDX_CBString(CDataExchange* pDX, int nID, std::string& value);
// On saving: a value outside nMin..nMax draws kIntegerRangeMessage for the last control.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int nMin, int nMax);

// --- Dialogs ---------------------------------------------------------------------------------
class CDialog {
  public:
    explicit CDialog(const DlgTemplate& tmpl, CWnd* pParentWnd = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog: builds its controls, OnInitDialog, then the user (or the answerer)
    // until EndDialog. IDOK or IDCANCEL (or what EndDialog was given).
    virtual int DoModal();
    void EndDialog(int nResult);
    // bSaveAndValidate: controls to members with their checks (FALSE when one failed);
    // otherwise members to controls.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    const DlgTemplate& Template() const { return *m_pTemplate; }
    UINT TemplateID() const { return m_pTemplate->nIDTemplate; }
    std::string GetWindowText() const { return m_strTitle; }
    void SetWindowText(std::string_view strTitle);
    CWnd* GetParent() const { return m_pParent; }

    // The controls. Calls about an id the dialog does not have do nothing (and read as empty).
    bool HasItem(int nID) const;
    DlgItemKind ItemKind(int nID) const;
    std::string GetDlgItemText(int nID) const;
    void SetDlgItemText(int nID, std::string_view strText);
    void SetDlgItemInt(int nID, int nValue);
    int IsDlgButtonChecked(int nID) const;
    void CheckDlgButton(int nID, int nCheck);
    void ShowItem(int nID, bool bShow);
    bool IsItemVisible(int nID) const;
    void EnableItem(int nID, bool bEnable);
    bool IsItemEnabled(int nID) const;
    // The control with the focus (0: none) and moving the focus, which sends EN_KILLFOCUS
    // for an edit field that loses it.
    int GetFocusItem() const { return m_nFocus; }
    void GotoDlgCtrl(int nID);
    // The window a kHost item gives a control of the dialog's own (null for other items).
    CWnd* HostOf(int nID) const;

    // A drop-down list's or combo box's entries (texts are GBK). A sorted list (DIF_SORT) puts an
    // entry in its place, ASCII letter case aside; AddString returns the entry's index.
    int AddString(int nID, std::string_view strText);
    void ResetContent(int nID);
    int GetCount(int nID) const;
    int GetCurSel(int nID) const;
    void SetCurSel(int nID, int nIndex);  // -1 chooses nothing
    std::string GetLBText(int nID, int nIndex) const;
    // The first entry equal to the text, ASCII letter case aside (-1: none).
    int FindStringExact(int nID, std::string_view strText) const;
    // Shows the list's first entry at its top.
    void ScrollToTop(int nID);

    // A message box owned by the dialog.
    int MessageBox(std::string_view strText, const char* szCaption = nullptr, UINT nType = MB_OK);

    // --- Answering, as a user would --------------------------------------------------------
    // Each call is what a user does: the focus moves to the control, the value goes in (an
    // edit field's text; a check box's "0" or "1"; a list's entry by its text; a combo box's
    // entry equal to the value, else the value typed as its text, no entry chosen; a host
    // item's value through SetHostValue), the focus leaves it. False when the dialog has no such
    // control or the value does not fit it (nothing then changes).
    bool AnswerValue(int nID, std::string_view strValue);
    // Presses a button (IDOK and IDCANCEL too).
    bool AnswerPress(int nID);
    bool IsEnded() const { return m_bEnded; }
    // The dialog as it would show now, frame excepted, written as a PNG file (a picture for
    // documents and tests; the dialog need not be shown). False when it cannot be written.
    bool SavePicture(const std::string& strPngPath) const;
    // A number that grows with every DoModal of any dialog: an answerer tells a dialog it
    // meets again (an OK refused) from a new one by it.
    unsigned ModalSerial() const { return m_nSerial; }

  protected:
    // Default: UpdateData(FALSE). TRUE.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    // Default: UpdateData(TRUE) and, when it passed, EndDialog(IDOK).
    virtual void OnOK();
    virtual void OnCancel();
    // A control's notification (BN_CLICKED, CBN_SELCHANGE, EN_KILLFOCUS, EN_CHANGE).
    virtual void OnCommand(int nID, UINT nCode);
    // A host item's value from an answer (a colour as RRGGBB, say). False: not taken.
    virtual bool SetHostValue(int nID, std::string_view strValue);

  private:
    struct Widgets;
    void Build();
    void Dispatch(int nID, UINT nCode);
    void FocusChangedTo(int nID);
    friend struct DialogEvents;

    const DlgTemplate* m_pTemplate;
    CWnd* m_pParent;
    std::string m_strTitle;
    std::unique_ptr<Widgets> m_pWidgets;
    int m_nFocus = 0;
    int m_nResult = IDCANCEL;
    bool m_bEnded = false;
    bool m_bInKillFocus = false;
    unsigned m_nSerial = 0;
};

namespace tessel::platform {

// While an answerer is set, a modal dialog is not shown: after OnInitDialog the answerer is
// called with the dialog and answers it through AnswerValue and AnswerPress. It returns
// false when it has no answer for the dialog, which is then cancelled. When it returns with
// the dialog still open (an OK the dialog refused), it is called again.
using DialogAnswerer = std::function<bool(CDialog& dialog)>;
void SetDialogAnswerer(DialogAnswerer answerer);

// A message box as its caller asked for it.
struct MessageBoxRequest {
    std::string strText;     // GBK
    std::string strCaption;  // GBK
    UINT nType = MB_OK;
};
// While an answerer is set, every message box asks it instead of showing itself: it returns
// the button pressed, or nothing for the box's safe answer (IDOK, or IDNO / IDCANCEL when the
// box has them).
using MessageBoxAnswerer = std::function<std::optional<int>(const MessageBoxRequest& request)>;
void SetMessageBoxAnswerer(MessageBoxAnswerer answerer);
// The answer a message box of nType gives when nobody answers it.
int SafeMessageBoxAnswer(UINT nType);

}  // namespace tessel::platform
