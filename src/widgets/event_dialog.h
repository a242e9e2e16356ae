#pragma once

// The hot-link dialog: the action a stretch of a page runs when the reader clicks it, and the
// parameters of that action. The caller presets the public members (m_nAction holds the
// action's code), runs DoModal and, after IDOK, reads them back: m_nAction is then the code
// chosen, or -1 when the hot link was switched off or no action is chosen. While the dialog
// runs, m_nAction is the index of the action list instead.
//
// "Select Begin" starts the project's media-position picker on the chosen media file; the
// picker answers with one line "BEGIN END" on its standard output, which the dialog's window
// receives as kPlayPositionsMessage (widgets/edit_commands.h).

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog.h"

namespace tessel::widgets {

extern const DlgTemplate kEventTemplate;  // 538

}  // namespace tessel::widgets

class CEventDlg : public CDialog {
  public:
    static constexpr UINT IDD = 538;
    static constexpr int IDC_LINK_ON = 2049;
    static constexpr int IDC_ACTION = 2102;
    static constexpr int IDC_PAGE = 2014;
    static constexpr int IDC_IDENT = 2015;
    static constexpr int IDC_LEFT = 2097;
    static constexpr int IDC_TOP = 2119;
    static constexpr int IDC_RIGHT = 2113;
    static constexpr int IDC_BOTTOM = 2120;
    static constexpr int IDC_ACTIVATE_PAGE = 2154;
    static constexpr int IDC_WEBSITE = 2017;
    static constexpr int IDC_FILE = 2038;
    static constexpr int IDC_BROWSE = 400;
    static constexpr int IDC_CONNECT = 2155;
    static constexpr int IDC_MEDIA = 2010;
    static constexpr int IDC_PLAY_BEGIN = 2053;
    static constexpr int IDC_PLAY_END = 2054;
    static constexpr int IDC_SELECT_BEGIN = 2050;
    static constexpr int IDC_PARAM = 2051;
    static constexpr int IDC_CATALOG = 2052;
    static constexpr int IDC_CATALOG_BROWSE = 2152;
    static constexpr int IDC_RUN_MODE = 2016;
    static constexpr int IDC_SET_PATH = 2124;

    // The action codes, in the order of the action list.
    static constexpr int kActionCodes[] = {0, 1, 2, 3, 4, 10, 11, 12, 13, 20, 21, 22, 23, 30, 31};
    // No action: an index outside the list, and the code OK gives for it.
    static constexpr int kNoAction = -1;
    // The web addresses typed before, most recent first, in the user's settings.
    static constexpr const char* kWebAddressKey = "HotLink/WebAddresses";
    static constexpr std::size_t kMaxWebAddresses = 25;
    // The media-position picker, looked for beside this program, then on PATH.
    static constexpr const char* kMediaPicker = "tessel-media-picker";

    // The code of an index of the action list (kNoAction outside it) and the index of a code
    // (kNoAction for a code the list does not offer, such as 5 or 100).
    static int CodeOfIndex(int nIndex);
    static int IndexOfCode(int nCode);

    // strBase: the folder media files and program files are named relative to (GBK). The
    // lists (GBK, not owned, null for none): the host's media ("NUMBER,PATH"), its pages, and
    // its sub-page identifiers ("NUMBER..."), shown in that order.
    CEventDlg(std::string strBase, const std::vector<std::string>* pMediaList,
              const std::vector<std::string>* pPageList, const std::vector<std::string>* pIdentList,
              CWnd* pParent = nullptr);
    ~CEventDlg() override;
    // The dialog's window lives while the dialog runs; Cancel gives m_nAction back as preset.
    int DoModal() override;

    // The window kPlayPositionsMessage goes to while the dialog runs (null otherwise).
    CWnd* GetMessageWnd() const;

    int m_bLinkOn = 1;
    int m_nAction = kNoAction;
    std::string m_strPage;
    std::string m_strIdent;
    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nRight;   // the screen's width
    int m_nBottom;  // the screen's height
    int m_bActivatePage = 0;
    std::string m_strWebsite;
    std::string m_strFile;
    int m_bConnect = 0;
    std::string m_strMedia;
    DWORD m_dwPlayBegin = 0;
    DWORD m_dwPlayEnd = 0;
    // The media file of the chosen media entry, in lower case.
    std::string m_strMediaPath;
    std::string m_strParam;
    std::string m_strCatalog;
    int m_nRunMode = -1;
    int m_bSetPath = 0;
    const std::vector<std::string>* m_pMediaList;
    const std::vector<std::string>* m_pPageList;
    const std::vector<std::string>* m_pIdentList;
    std::string m_strBase;

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCommand(int nID, UINT nCode) override;

  private:
    class CMessageWnd;

    void EnableActionFields();
    void DisableActionFields();
    void TakeMediaEntry();
    // The media entry and the play positions with "Connect" (and the entry's media taken),
    // or greyed with "Select Begin" without it.
    void EnableMediaFields(bool bConnect);
    void OnActionChange();
    void OnLinkOn();
    void OnActivatePage();
    void OnConnect();
    void OnSelectBegin();
    void OnBrowse();
    void OnCatalogBrowse();
    void OnPlayPositions(WPARAM wParam, LPARAM lParam);

    // Shared with the picker's reply, which may come after the dialog has closed: the reply
    // reaches the window only while it is alive.
    std::shared_ptr<CMessageWnd> m_pMessageWnd;
};

// The size of the buffer SelectFolder fills, its ending zero included.
inline constexpr std::size_t kSelectFolderBufferSize = 256;

// The folder picker ("Select folder"), starting in the folder the buffer names (empty: the
// current one). On OK the buffer (kSelectFolderBufferSize bytes) receives the chosen path up
// to and including its last separator ("/") and the result is 1; otherwise, or when the path
// does not fit, the buffer is emptied and the result is 0.
int SelectFolder(CWnd* pOwner, char* pszBuffer);
