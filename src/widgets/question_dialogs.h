#pragma once

// The dialogs of the question objects: the edit frame's (a fill-in field with its standard
// result, size, colours and style), the judgement's, which also chooses the page of a score
// field, and the choice's (how many options, which is right). Each keeps its values in public
// members that the caller sets before DoModal and reads after IDOK.

#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog.h"
#include "widgets/colour_picker.h"

namespace tessel::widgets {

extern const DlgTemplate kEditFrameTemplate;  // 449
extern const DlgTemplate kJudgmentTemplate;   // 450
extern const DlgTemplate kOptionsTemplate;    // 451

}  // namespace tessel::widgets

// The edit frame: the standard result, the width and height in pixels, the style (an index in
// the sorted style list) and the font and background colours, chosen with two colour pickers.
// A height below 16 is refused; a width below 10 draws a warning and is taken all the same.
class CEditFrameDlg : public CDialog {
  public:
    static constexpr int kResultId = 2045;
    static constexpr int kWidthId = 2012;
    static constexpr int kHeightId = 2030;
    static constexpr int kStyleId = 2044;
    static constexpr int kFontColorId = 2042;
    static constexpr int kBackColorId = 2043;
    static constexpr int kMinHeight = 16;
    static constexpr int kMinWidth = 10;

    explicit CEditFrameDlg(CWnd* pParent = nullptr);
    // The pickers' windows live while the dialog runs.
    int DoModal() override;

    std::string m_strResult;
    int m_nWidth = 50;
    int m_nHeight = 16;
    int m_nStyle = 0;
    CColourPicker m_btnFontColor;
    CColourPicker m_btnBackColor;
    COLORREF m_clrFont = 0;         // read from m_btnFontColor on OK
    COLORREF m_clrBack = 0xFFFFFF;  // read from m_btnBackColor on OK

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    // A picker's colour as RRGGBB, taken as choosing it in the picker's popup would.
    bool SetHostValue(int nID, std::string_view strValue) override;

  private:
    CColourPicker* PickerOf(int nID);
};

// A judgement box's verdict (mode 0), or the page a score field shows (mode 1 a page score,
// mode 2 the total score of a page), chosen from the host's page names.
class CJudgmentDlg : public CDialog {
  public:
    static constexpr int kCorrectId = 2013;
    static constexpr int kPageLabelId = 2047;
    static constexpr int kPageListId = 2048;
    enum Mode : int { kJudgement = 0, kPageScore = 1, kPageTotalScore = 2 };

    explicit CJudgmentDlg(int nMode = kJudgement, CWnd* pParent = nullptr);

    int m_bCorrect = 0;
    std::string m_strPage;
    int m_nMode;
    const std::vector<std::string>* m_pPageList = nullptr;  // not owned; null offers none

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
};

// A multiple choice: the number of options (0 to 6000) and the right one, from 1.
class COptionsDlg : public CDialog {
  public:
    static constexpr int kAmountId = 2033;
    static constexpr int kRightId = 2018;
    static constexpr int kMaxAmount = 6000;

    explicit COptionsDlg(CWnd* pParent = nullptr);

    int m_nAmount = 4;
    int m_nRight = 1;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
};
