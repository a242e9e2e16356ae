#pragma once

// The Insert Columes dialog (template 452): how many columns a new multi-column frame has,
// the gap between them and the width of each. The column chooser lists one entry per column
// ("Insert Column1's Whith:", ...); the width field beside it is the width of the column
// chosen there.

#include "platform/dialog.h"

namespace tessel::widgets {

// The dialog's table: its title, labels and controls.
extern const DlgTemplate kColumnsTemplate;

}  // namespace tessel::widgets

class CColumnsDlg : public CDialog {
  public:
    static constexpr UINT kTemplateID = 452;
    // The controls.
    static constexpr int kCountEdit = 2028;   // "Account:"
    static constexpr int kHeightEdit = 2030;  // "Height:"
    static constexpr int kSpaceEdit = 2039;   // "Space:"
    static constexpr int kColumnList = 2035;  // the column chooser
    static constexpr int kWidthEdit = 2036;   // the width of the column chosen
    static constexpr int kMaxCount = 16;

    explicit CColumnsDlg(CWnd* pParent = nullptr);

    int m_nCount = 0;    // columns, 0..16
    int m_nHeight = 50;  // 0..2000; asked for, but a frame is as tall as its columns
    int m_nSpace = 0;    // the gap between two columns, 0..400
    // The column the width field stands for, 0..15. With no entry chosen in the chooser (as
    // after the count refilled it) it stays the column chosen last, the first until then: a
    // width typed without choosing is the first column's.
    int m_nCurCol = 0;
    int m_nWidth = 50;  // the width field, 10..400
    // Each column's width as the width field last gave it for that column.
    int m_nWidths[kMaxCount] = {50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50};

  protected:
    // The fields, and the chooser filled for the count.
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    // The count leaving its field refills the chooser; a column chosen there becomes the one
    // the width field stands for; the width leaving its field is that column's width.
    void OnCommand(int nID, UINT nCode) override;

  private:
    // The chooser emptied and given the first m_nCount entries, none of them chosen.
    void FillChooser();
};
