// The hot-link dialog, its folder picker, and the media-position picker's reply.
//
// Every field is greyed but the hot-link box and the action list; the action chosen lights
// its own fields, and the boxes "Activate Page" and "Connect" light the fields that depend on
// them. Names are GBK and Windows-style on the page's side.

#include "widgets/event_dialog.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <utility>

#include "document/gbk_char.h"
#include "document/link_slots.h"
#include "platform/controls.h"
#include "platform/file_dialog.h"
#include "platform/file_path.h"
#include "platform/gbk.h"
#include "platform/program.h"
#include "platform/settings.h"
#include "widgets/edit_commands.h"
#include "widgets/list_fields.h"
#include "widgets/string_table.h"

namespace tessel::widgets {

using Kind = DlgItemKind;
using D = CEventDlg;

namespace {

constexpr CSize kNumberSize{64, 0};
constexpr CSize kNameSize{160, 0};
constexpr CSize kWideSize{280, 0};

}  // namespace

// Columns: the hot-link box, the labels, the fields, the second labels, the second fields,
// the buttons and boxes.
// clang-format off
const DlgTemplate kEventTemplate = {D::IDD, "Exsiting Event Setting", "Setting Action", {
    // id                     kind             text                    row, column, span  flags, least size
    {D::IDC_LINK_ON,          Kind::kCheck,    "",                     {0, 0}},
    {IDC_STATIC,              Kind::kLabel,    "Action[&V]:",          {0, 1}},
    {D::IDC_ACTION,           Kind::kDropList, "",                     {0, 2, 4}},
    {IDC_STATIC,              Kind::kLabel,    "PageName[&N]:",        {1, 1}},
    {D::IDC_PAGE,             Kind::kComboBox, "",                     {1, 2},     DIF_DISABLED, kNameSize},
    {IDC_STATIC,              Kind::kLabel,    "Identifier:",          {1, 3}},
    {D::IDC_IDENT,            Kind::kComboBox, "",                     {1, 4, 2},  DIF_DISABLED},
    {IDC_STATIC,              Kind::kLabel,    "Left Top X:",          {2, 1}},
    {D::IDC_LEFT,             Kind::kEdit,     "",                     {2, 2},     DIF_DISABLED, kNumberSize},
    {IDC_STATIC,              Kind::kLabel,    "Left Top Y:",          {2, 3}},
    {D::IDC_TOP,              Kind::kEdit,     "",                     {2, 4},     DIF_DISABLED, kNumberSize},
    {D::IDC_ACTIVATE_PAGE,    Kind::kCheck,    "Activate Page",        {2, 5},     DIF_DISABLED},
    {IDC_STATIC,              Kind::kLabel,    "Right Bottom X:",      {3, 1}},
    {D::IDC_RIGHT,            Kind::kEdit,     "",                     {3, 2},     DIF_DISABLED, kNumberSize},
    {IDC_STATIC,              Kind::kLabel,    "Right Bottom Y:",      {3, 3}},
    {D::IDC_BOTTOM,           Kind::kEdit,     "",                     {3, 4},     DIF_DISABLED, kNumberSize},
    {IDC_STATIC,              Kind::kLabel,    "Website[&N]:",         {4, 1}},
    {D::IDC_WEBSITE,          Kind::kComboBox, "",                     {4, 2, 4},  DIF_DISABLED, kWideSize},
    {IDC_STATIC,              Kind::kLabel,    "FileName[&N]:",        {5, 1}},
    {D::IDC_FILE,             Kind::kEdit,     "",                     {5, 2, 3},  DIF_DISABLED, kWideSize},
    {D::IDC_BROWSE,           Kind::kButton,   "Browse...",            {5, 5},     DIF_DISABLED},
    {IDC_STATIC,              Kind::kLabel,    "MediaIdentifier[&M]:", {6, 1}},
    {D::IDC_MEDIA,            Kind::kComboBox, "",                     {6, 2, 3},  DIF_DISABLED},
    {D::IDC_CONNECT,          Kind::kCheck,    "Connect",              {6, 5},     DIF_DISABLED},
    {IDC_STATIC,              Kind::kLabel,    "Play Position[&P]:",   {7, 1}},
    {D::IDC_PLAY_BEGIN,       Kind::kEdit,     "",                     {7, 2},     DIF_DISABLED, kNumberSize},
    {IDC_STATIC,              Kind::kLabel,    "~",                    {7, 3}},
    {D::IDC_PLAY_END,         Kind::kEdit,     "",                     {7, 4},     DIF_DISABLED, kNumberSize},
    {IDC_STATIC,              Kind::kLabel,    "Frame:",               {8, 1}},
    {D::IDC_SELECT_BEGIN,     Kind::kButton,   "Select Begin",         {8, 2},     DIF_DISABLED},
    {IDC_STATIC,              Kind::kLabel,    "Parameter:",           {9, 1}},
    {D::IDC_PARAM,            Kind::kEdit,     "",                     {9, 2, 3},  DIF_DISABLED},
    {IDC_STATIC,              Kind::kLabel,    "Catalog:",             {10, 1}},
    {D::IDC_CATALOG,          Kind::kEdit,     "",                     {10, 2, 3}, DIF_DISABLED},
    {D::IDC_CATALOG_BROWSE,   Kind::kButton,   "Browse",               {10, 5},    DIF_DISABLED},
    {IDC_STATIC,              Kind::kLabel,    "RunMode:",             {11, 1}},
    {D::IDC_RUN_MODE,         Kind::kDropList, "",                     {11, 2},    DIF_DISABLED},
    {D::IDC_SET_PATH,         Kind::kCheck,    "Set Path",             {11, 3, 2}, DIF_DISABLED},
}};
// clang-format on

}  // namespace tessel::widgets

namespace {

using Ids = std::vector<int>;

// Every field an action may light; they all go grey when another action is picked.
Ids FieldsOf(int nCode) {
    using D = CEventDlg;
    switch (nCode) {
        case 0:
        case 4:
            return {D::IDC_PAGE};
        case 1:
            return {D::IDC_PAGE, D::IDC_LEFT, D::IDC_TOP, D::IDC_RIGHT, D::IDC_BOTTOM};
        case 2:
            return {D::IDC_PAGE, D::IDC_RIGHT, D::IDC_BOTTOM};
        case 3:
            return {D::IDC_PAGE, D::IDC_IDENT};
        case 10:
        case 11:
        case 12:
        case 13:
            return {D::IDC_FILE,       D::IDC_BROWSE,   D::IDC_CONNECT,     D::IDC_MEDIA,
                    D::IDC_PLAY_BEGIN, D::IDC_PLAY_END, D::IDC_SELECT_BEGIN};
        case 21:
        case 22:
            return {D::IDC_ACTIVATE_PAGE, D::IDC_PAGE,  D::IDC_LEFT,
                    D::IDC_TOP,           D::IDC_RIGHT, D::IDC_BOTTOM};
        case 23:
            return {D::IDC_FILE,           D::IDC_BROWSE,   D::IDC_PARAM,   D::IDC_CATALOG,
                    D::IDC_CATALOG_BROWSE, D::IDC_RUN_MODE, D::IDC_SET_PATH};
        case 30:
            return {D::IDC_WEBSITE};
        default:
            return {};
    }
}

// The file dialog of "Browse..." for an action: filter and default extension (the patterns of
// the program filter are Windows's; its last entry offers every file).
struct BrowseFilter {
    const char* szFilter;
    const char* szDefExt;
};
std::optional<BrowseFilter> FilterOf(int nCode) {
    switch (nCode) {
        case 10:
            return BrowseFilter{"Sound Files (*.wav)|*.wav||", "*.wav"};
        case 11:
            return BrowseFilter{"Music Files (*.mid)|*.mid||", "*.mid"};
        case 12:
            return BrowseFilter{
                "Movie Files(*.avi,*.mpg,*.mpeg,*.dat)| *.avi; *.mpg; *.mpeg; *.dat| |",
                "*.avi;*.mpg;*.mpeg;*.dat"};
        case 13:
            return BrowseFilter{"Cartoon Files (*.flc)|*.flc||", "*.flc"};
        case 23:
            return BrowseFilter{
                "Executable Files (*.exe)|*.exe| Text Files (*.doc,*.txt)|*.doc; *.txt| Image "
                "Files (*.bmp)|*.bmp| Sound Files (*.wav)|*.wav| Music Files (*.mid)|*.mid| HTML "
                "Files (*.htm,*.html)|*.htm; *.html| All Files (*.*)|*.*||",
                "*.exe;*.doc;*.txt;*.bmp;*.wav;*.mid;*.htm;*.html"};
        default:
            return std::nullopt;
    }
}

void FillList(CDialog& dialog, int nID, const std::vector<std::string>* pEntries) {
    if (!pEntries) return;
    for (const std::string& strEntry : *pEntries)
        dialog.AddString(nID, strEntry);
}

// The addresses kept: no empty one, each once, the first kMaxWebAddresses.
std::vector<std::string> CleanAddresses(const std::vector<std::string>& addresses) {
    std::vector<std::string> kept;
    for (const std::string& strAddress : addresses) {
        if (kept.size() >= CEventDlg::kMaxWebAddresses) break;
        if (strAddress.empty() || std::ranges::find(kept, strAddress) != kept.end()) continue;
        kept.push_back(strAddress);
    }
    return kept;
}

void RememberWebAddress(const std::string& strAddress) {
    std::vector<std::string> addresses = {strAddress};
    const std::vector<std::string> before =
        tessel::platform::ReadUserStrings(CEventDlg::kWebAddressKey);
    addresses.insert(addresses.end(), before.begin(), before.end());
    tessel::platform::WriteUserStrings(CEventDlg::kWebAddressKey, CleanAddresses(addresses));
}

// The picker's answer "BEGIN END" (two unsigned decimal numbers, blanks between and round
// them, the line's end after); nothing for anything else, the empty answer of a cancelled
// picker included.
std::optional<std::pair<DWORD, DWORD>> ParsePositions(const std::string& strReply) {
    std::size_t i = 0;
    auto skipBlanks = [&](bool bLineEnds) {
        const std::size_t nFrom = i;
        while (i < strReply.size() && (strReply[i] == ' ' || strReply[i] == '\t' ||
                                       (bLineEnds && (strReply[i] == '\r' || strReply[i] == '\n'))))
            ++i;
        return i > nFrom;
    };
    auto number = [&]() -> std::optional<DWORD> {
        if (i >= strReply.size() || strReply[i] < '0' || strReply[i] > '9') return std::nullopt;
        unsigned long long n = 0;
        for (; i < strReply.size() && strReply[i] >= '0' && strReply[i] <= '9'; ++i) {
            n = n * 10 + static_cast<unsigned>(strReply[i] - '0');
            if (n > 0xFFFFFFFFull) return std::nullopt;
        }
        return static_cast<DWORD>(n);
    };
    skipBlanks(false);
    const std::optional<DWORD> begin = number();
    if (!begin || !skipBlanks(false)) return std::nullopt;
    const std::optional<DWORD> end = number();
    if (!end) return std::nullopt;
    skipBlanks(true);
    if (i != strReply.size()) return std::nullopt;
    return std::pair{*begin, *end};
}

}  // namespace

// --- The dialog's window -------------------------------------------------------------------

// A hidden window of the dialog's own: the framework's dialogs have none, and the picker's
// positions arrive as a window message.
class CEventDlg::CMessageWnd : public CWnd {
  public:
    explicit CMessageWnd(CEventDlg& dialog) : m_dialog(dialog) {}
    const MessageMap* GetMessageMap() const override;

  private:
    LRESULT OnPlayPositions(WPARAM wParam, LPARAM lParam) {
        m_dialog.OnPlayPositions(wParam, lParam);
        return 0;
    }
    CEventDlg& m_dialog;
};

const MessageMap* CEventDlg::CMessageWnd::GetMessageMap() const {
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<tessel::commands::kPlayPositionsMessage, &CMessageWnd::OnPlayPositions>(),
    };
    static const MessageMap kMap{CWnd::GetThisMessageMap(), kEntries};
    return &kMap;
}

// --- The dialog ------------------------------------------------------------------------------

int CEventDlg::CodeOfIndex(int nIndex) {
    if (nIndex < 0 || nIndex >= static_cast<int>(std::size(kActionCodes))) return kNoAction;
    return kActionCodes[nIndex];
}

int CEventDlg::IndexOfCode(int nCode) {
    for (std::size_t i = 0; i < std::size(kActionCodes); ++i)
        if (kActionCodes[i] == nCode) return static_cast<int>(i);
    return kNoAction;
}

CEventDlg::CEventDlg(std::string strBase, const std::vector<std::string>* pMediaList,
                     const std::vector<std::string>* pPageList,
                     const std::vector<std::string>* pIdentList, CWnd* pParent)
    : CDialog(tessel::widgets::kEventTemplate, pParent),
      m_nRight(GetSystemMetrics(SM_CXSCREEN)),
      m_nBottom(GetSystemMetrics(SM_CYSCREEN)),
      m_pMediaList(pMediaList),
      m_pPageList(pPageList),
      m_pIdentList(pIdentList),
      m_strBase(std::move(strBase)) {}

CEventDlg::~CEventDlg() {
    if (m_pMessageWnd) m_pMessageWnd->DestroyWindow();
}

int CEventDlg::DoModal() {
    const int nCode = m_nAction;
    m_pMessageWnd = std::make_shared<CMessageWnd>(*this);
    m_pMessageWnd->CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 1, 1, nullptr, 0);
    const int nResult = CDialog::DoModal();
    m_pMessageWnd->DestroyWindow();
    m_pMessageWnd.reset();
    // While the dialog ran, m_nAction was an index of the list; only OK turns it into a code.
    if (nResult != IDOK) m_nAction = nCode;
    return nResult;
}

CWnd* CEventDlg::GetMessageWnd() const {
    return m_pMessageWnd && m_pMessageWnd->GetSafeHwnd() ? m_pMessageWnd.get() : nullptr;
}

BOOL CEventDlg::OnInitDialog() {
    const int nCode = m_nAction;
    if (tessel::slots::IsScoreAction(nCode) && !m_strPage.empty()) m_bActivatePage = 1;
    m_nAction = IndexOfCode(nCode);

    using namespace tessel::widgets;
    FillComboFromList(*this, IDC_ACTION, LoadString(kStringHotLinkActions));
    FillComboFromList(*this, IDC_RUN_MODE, LoadString(kStringRunModes));
    FillList(*this, IDC_MEDIA, m_pMediaList);
    FillList(*this, IDC_IDENT, m_pIdentList);
    FillList(*this, IDC_PAGE, m_pPageList);
    // The addresses typed before, which the desktop's browsers do not share.
    for (const std::string& strAddress :
         CleanAddresses(tessel::platform::ReadUserStrings(kWebAddressKey)))
        AddString(IDC_WEBSITE, strAddress);
    // A list filled from empty has its first entry chosen; the members choose here (an index
    // outside a list chooses nothing).
    for (const int nID : {IDC_ACTION, IDC_RUN_MODE, IDC_MEDIA, IDC_IDENT, IDC_PAGE, IDC_WEBSITE})
        SetCurSel(nID, -1);

    UpdateData(FALSE);
    EnableActionFields();
    return TRUE;
}

void CEventDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Check(pDX, IDC_LINK_ON, m_bLinkOn);
    DDX_CBIndex(pDX, IDC_ACTION, m_nAction);
    DDX_CBString(pDX, IDC_PAGE, m_strPage);
    DDX_CBString(pDX, IDC_IDENT, m_strIdent);
    DDX_Text(pDX, IDC_LEFT, m_nLeft);
    DDX_Text(pDX, IDC_TOP, m_nTop);
    DDX_Text(pDX, IDC_RIGHT, m_nRight);
    DDX_Text(pDX, IDC_BOTTOM, m_nBottom);
    DDX_Check(pDX, IDC_ACTIVATE_PAGE, m_bActivatePage);
    DDX_CBString(pDX, IDC_WEBSITE, m_strWebsite);
    DDX_Text(pDX, IDC_FILE, m_strFile);
    DDX_Check(pDX, IDC_CONNECT, m_bConnect);
    DDX_CBString(pDX, IDC_MEDIA, m_strMedia);
    DDX_Text(pDX, IDC_PLAY_BEGIN, m_dwPlayBegin);
    DDX_Text(pDX, IDC_PLAY_END, m_dwPlayEnd);
    DDX_Text(pDX, IDC_PARAM, m_strParam);
    DDX_Text(pDX, IDC_CATALOG, m_strCatalog);
    DDX_CBIndex(pDX, IDC_RUN_MODE, m_nRunMode);
    DDX_Check(pDX, IDC_SET_PATH, m_bSetPath);
}

void CEventDlg::OnOK() {
    if (!UpdateData(TRUE)) return;
    int nCode = CodeOfIndex(m_nAction);
    // A file inside the base folder is named from there (both compared in upper case, as
    // pages keep names).
    m_strFile = tessel::UpperCaseAscii(m_strFile);
    m_strBase = tessel::UpperCaseAscii(m_strBase);
    if (m_strFile.starts_with(m_strBase)) m_strFile.erase(0, m_strBase.size());
    if (m_bConnect) m_strFile.clear();
    if (!m_bLinkOn) nCode = kNoAction;
    m_nAction = nCode;
    if (nCode == 30 && !m_strWebsite.empty()) RememberWebAddress(m_strWebsite);
    EndDialog(IDOK);
}

void CEventDlg::OnCommand(int nID, UINT nCode) {
    if (nCode == CBN_SELCHANGE) {
        if (nID == IDC_ACTION) OnActionChange();
        if (nID == IDC_MEDIA) TakeMediaEntry();
        return;
    }
    if (nCode != BN_CLICKED) return;
    switch (nID) {
        case IDC_LINK_ON:
            OnLinkOn();
            break;
        case IDC_ACTIVATE_PAGE:
            OnActivatePage();
            break;
        case IDC_CONNECT:
            OnConnect();
            break;
        case IDC_SELECT_BEGIN:
            OnSelectBegin();
            break;
        case IDC_BROWSE:
            OnBrowse();
            break;
        case IDC_CATALOG_BROWSE:
            OnCatalogBrowse();
            break;
        default:
            break;
    }
}

// The fields of the action m_nAction indexes, with those its boxes govern as the boxes are.
void CEventDlg::EnableActionFields() {
    const int nCode = CodeOfIndex(m_nAction);
    if (tessel::slots::IsMediaAction(nCode)) {
        for (const int nID : {IDC_FILE, IDC_BROWSE, IDC_CONNECT})
            EnableItem(nID, true);
        // Without a file the host's media are meant, when it has any.
        if (m_strFile.empty() && m_pMediaList && !m_pMediaList->empty()) {
            m_bConnect = 1;
            CheckDlgButton(IDC_CONNECT, 1);
        }
        EnableMediaFields(IsDlgButtonChecked(IDC_CONNECT) != 0);
        return;
    }
    if (tessel::slots::IsScoreAction(nCode)) {
        EnableItem(IDC_ACTIVATE_PAGE, true);
        const bool bActivate = IsDlgButtonChecked(IDC_ACTIVATE_PAGE) != 0;
        for (const int nID : {IDC_PAGE, IDC_LEFT, IDC_TOP, IDC_RIGHT, IDC_BOTTOM})
            EnableItem(nID, bActivate);
        return;
    }
    for (const int nID : FieldsOf(nCode))
        EnableItem(nID, true);
}

void CEventDlg::DisableActionFields() {
    for (const int nID : FieldsOf(CodeOfIndex(m_nAction)))
        EnableItem(nID, false);
}

// The media file of the chosen entry: the text after its first comma, from the base folder
// when it names no drive. On this system a path that begins with "/" is whole as well.
void CEventDlg::TakeMediaEntry() {
    const int nIndex = GetCurSel(IDC_MEDIA);
    const std::string strEntry = nIndex >= 0 ? GetLBText(IDC_MEDIA, nIndex) : std::string();
    // A comma is ASCII: never the second byte of a GBK character.
    const std::size_t nComma = strEntry.find(',');
    if (nIndex < 0 || nComma == std::string::npos) {
        EnableItem(IDC_SELECT_BEGIN, false);
        return;
    }
    std::string strPath = strEntry.substr(nComma + 1);
    if (strPath.find(':') == std::string::npos && !strPath.starts_with('/'))
        strPath = m_strBase + strPath;
    m_strMediaPath = tessel::platform::FoldCase(strPath);
    EnableItem(IDC_SELECT_BEGIN, true);
}

void CEventDlg::OnActionChange() {
    DisableActionFields();
    UpdateData(TRUE);
    EnableActionFields();
}

void CEventDlg::OnLinkOn() {
    UpdateData(TRUE);
    DisableActionFields();
    EnableItem(IDC_ACTION, IsDlgButtonChecked(IDC_LINK_ON) != 0);
}

void CEventDlg::OnActivatePage() {
    UpdateData(TRUE);
    const bool bActivate = IsDlgButtonChecked(IDC_ACTIVATE_PAGE) != 0;
    for (const int nID : {IDC_PAGE, IDC_LEFT, IDC_TOP, IDC_RIGHT, IDC_BOTTOM})
        EnableItem(nID, bActivate);
}

void CEventDlg::EnableMediaFields(bool bConnect) {
    for (const int nID : {IDC_MEDIA, IDC_PLAY_BEGIN, IDC_PLAY_END})
        EnableItem(nID, bConnect);
    if (bConnect)
        TakeMediaEntry();
    else
        EnableItem(IDC_SELECT_BEGIN, false);
}

void CEventDlg::OnConnect() {
    UpdateData(TRUE);
    const bool bConnect = IsDlgButtonChecked(IDC_CONNECT) != 0;
    EnableMediaFields(bConnect);
    EnableItem(IDC_FILE, !bConnect);
    EnableItem(IDC_BROWSE, !bConnect);
}

// The picker is started on the media file and left running; its positions come back as
// kPlayPositionsMessage to the dialog's window, if the dialog is still open by then. Without
// the picker nothing happens.
void CEventDlg::OnSelectBegin() {
    if (m_strMediaPath.empty()) TakeMediaEntry();
    if (m_strMediaPath.empty()) return;
    const std::optional<std::string> program = tessel::platform::FindProgram(kMediaPicker);
    if (!program) return;
    // The page's name of the file, found on this system.
    const std::string strMedia = tessel::platform::ResolvePath("", m_strMediaPath);
    const HCURSOR hOld = SetCursor(LoadCursor(IDC_WAIT));
    const std::weak_ptr<CMessageWnd> window = m_pMessageWnd;
    tessel::platform::StartProgramForReply(*program, {strMedia}, [window](const std::string& s) {
        const std::optional<std::pair<DWORD, DWORD>> positions = ParsePositions(s);
        if (!positions) return;
        if (const std::shared_ptr<CMessageWnd> pWnd = window.lock())
            pWnd->PostMessage(tessel::commands::kPlayPositionsMessage,
                              static_cast<WPARAM>(positions->first),
                              static_cast<LPARAM>(positions->second));
    });
    SetCursor(hOld);
}

void CEventDlg::OnPlayPositions(WPARAM wParam, LPARAM lParam) {
    UpdateData(TRUE);
    m_dwPlayBegin = static_cast<DWORD>(wParam);
    m_dwPlayEnd = static_cast<DWORD>(lParam);
    UpdateData(FALSE);
}

void CEventDlg::OnBrowse() {
    if (!UpdateData(TRUE)) return;
    const std::optional<BrowseFilter> filter = FilterOf(CodeOfIndex(m_nAction));
    if (!filter) return;
    CFileDialog dialog(TRUE, filter->szDefExt, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       filter->szFilter, GetParent());
    if (dialog.DoModal() != IDOK) return;
    m_strFile = dialog.GetPathName();
    UpdateData(FALSE);
}

// The fields are read first, so that what was typed into them survives the picker.
void CEventDlg::OnCatalogBrowse() {
    if (!UpdateData(TRUE)) return;
    char szFolder[kSelectFolderBufferSize] = "";
    if (!SelectFolder(GetParent(), szFolder)) return;
    std::string strFolder = szFolder;
    // The folder without its separator at the end, but for the root, which is only that.
    if (strFolder.size() > 1 && strFolder.back() == '/') strFolder.pop_back();
    m_strCatalog = strFolder;
    UpdateData(FALSE);
}

// --- The folder picker -------------------------------------------------------------------------

int SelectFolder(CWnd* pOwner, char* pszBuffer) {
    if (!pszBuffer) return 0;
    const std::string strStart(pszBuffer, ::strnlen(pszBuffer, kSelectFolderBufferSize - 1));
    CFileDialog dialog(TRUE, "bmp", "1.bmp", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "BMP (*.bmp)|*.bmp||", pOwner);
    dialog.SetFolderMode("Select folder", strStart);
    std::string strFolder;
    if (dialog.DoModal() == IDOK) {
        strFolder = dialog.GetPathName();
        const std::size_t nSlash = strFolder.rfind('/');
        strFolder.resize(nSlash == std::string::npos ? 0 : nSlash + 1);
    }
    if (strFolder.empty() || strFolder.size() >= kSelectFolderBufferSize) {
        pszBuffer[0] = '\0';
        return 0;
    }
    std::memcpy(pszBuffer, strFolder.c_str(), strFolder.size() + 1);
    return 1;
}
