#pragma once

// The Image and Formula dialogs: the file a picture or a formula element shows and its scale,
// asked for when the element is inserted or changed. Their OK puts the file into the project
// (PlaceFileInProject) and leaves in m_strFile the name the page keeps.

#include <string>
#include <string_view>

#include "platform/dialog.h"

namespace tessel::widgets {

// The project's folders for the files pages name, as the stored names spell them.
inline constexpr std::string_view kImageFolder = "Image\\";
inline constexpr std::string_view kFormulaFolder = "Formula\\";

// The name a page keeps for strFile (a file chosen or typed; GBK, Windows-style or native)
// in the project strDirPrj, with the file copied into the project's folder strFolder
// ("Image\\") when it lies outside the project:
// - both names are taken in upper case (ASCII letters that are characters of their own);
// - a file whose path begins with the project directory becomes the rest of its path,
//   relative to the project; with no project directory (empty) every path stays as it is;
// - any other file is copied into the folder (made inside the project directory when it is
//   missing), replacing a file there of the same name whatever its letter case, and becomes
//   strFolder followed by its name (so does a file that already is the one in the folder: it
//   is not copied onto itself); when the copy fails the path stays as it is.
// A project directory without a separator at its end is taken as if it had one. The files
// are found through ResolvePath: a relative strFile from the project directory, which is a
// path on this system as the layout uses it. The copy keeps the source's own name on disk.
std::string PlaceFileInProject(std::string_view strFile, std::string_view strDirPrj,
                               std::string_view strFolder);

// The dialogs' tables.
extern const DlgTemplate kImageTemplate;
extern const DlgTemplate kFormulaTemplate;

}  // namespace tessel::widgets

// The Image dialog (template 447): file, scale and transparency of a picture.
class CImageDlg : public CDialog {
  public:
    static constexpr UINT IDD = 447;
    static constexpr int IDC_FILE = 2009;
    static constexpr int IDC_BROWSE = 2010;
    static constexpr int IDC_TRANSPARENT = 2011;
    static constexpr int IDC_SCALE = 2040;
    // The file dialog of Browse.
    static constexpr const char* kDefaultExtension =
        "*.bmp;*.dib;*.pcx;*.gif;*.ico;*.cur;*.wmf;*.emf;*.jpg;*.tif;*.tga";
    static constexpr const char* kFilter =
        "Image files (*.bmp;*.dib;*.pcx;*.gif;*.ico;*.cur;*.wmf;*.emf;*.jpg;*.tif;*.tga)|"
        "\t\t\t\t\t\t   *.bmp;*.dib;*.pcx;*.gif;*.ico;*.cur;*.wmf;*.emf;*.jpg;*.tif;*.tga|"
        "All files (*.*)|*.*||";

    explicit CImageDlg(CWnd* pParent = nullptr);

    std::string m_strFile;   // GBK; on OK the name the page keeps
    int m_nScale = 100;      // percent
    int m_bTransparent = 0;  // 0 or 1
    // The editor's project directory (set by the caller; a prefix that ends with a separator).
    std::string m_strDirPrj;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCommand(int nID, UINT nCode) override;

  private:
    void OnBrowse();
};

// The Formula dialog (template 468): file and scale of a formula, and the formula editor
// started on the file.
class CFormulaDlg : public CDialog {
  public:
    static constexpr UINT IDD = 468;
    static constexpr int IDC_FILE = 2184;
    static constexpr int IDC_BROWSE = 2186;
    static constexpr int IDC_EDIT_FORMULA = 2188;
    static constexpr int IDC_SCALE = 2040;
    static constexpr int kMinScale = 20;
    static constexpr const char* kDefaultExtension = "*.fml";
    static constexpr const char* kFilter = "FML Files (*.fml)|*.fml|";
    // The project's formula editor, looked for beside this program, then on PATH.
    static constexpr const char* kFormulaEditor = "tessel-formula";

    // The dialog's messages.
    static constexpr const char* kEmptyName = "The file name is empty,please input again!";
    static constexpr const char* kScaleTooSmall = "The Scaling is value too small!!";
    static constexpr const char* kAskCreate =
        "The special document is not existing!\nDo you want to create new formula?";
    static constexpr const char* kCannotCreate = "Fails to create new document!";
    static constexpr const char* kEditorMissing =
        "The formula editor tessel-formula was found neither beside this program nor on PATH.";
    static constexpr const char* kEditorFailed =
        "The formula editor tessel-formula cannot be started.";

    explicit CFormulaDlg(CWnd* pParent = nullptr);

    std::string m_strFile;  // GBK; on OK the name the page keeps
    int m_nScale = 100;     // percent, at least kMinScale
    std::string m_strDirPrj;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCommand(int nID, UINT nCode) override;

  private:
    void OnBrowse();
    void OnEditFormula();
};
