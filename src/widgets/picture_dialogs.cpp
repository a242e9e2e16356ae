// The Image and Formula dialogs and the placing of their files in the project.
//
// Names are GBK and Windows-style on the page's side; the files are found on this system
// through ResolvePath, from the project directory as the layout finds them.

#include "widgets/picture_dialogs.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "document/gbk_char.h"
#include "platform/file_dialog.h"
#include "platform/file_path.h"
#include "platform/gbk.h"
#include "platform/program.h"

namespace {

namespace fs = std::filesystem;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Where the last component of a GBK path begins: after the last separator that is a character
// of its own (the second byte of a double-byte character may be 0x5C, a backslash).
std::size_t NameStart(std::string_view path) {
    std::size_t nStart = 0;
    for (std::size_t i = 0; i < path.size();
         i += static_cast<std::size_t>(tessel::CharLength(path, i)))
        if (IsSeparator(path[i])) nStart = i + 1;
    return nStart;
}

}  // namespace

namespace tessel::widgets {

using Kind = DlgItemKind;

// clang-format off
const DlgTemplate kImageTemplate = {CImageDlg::IDD, "Image", "Property", {
    // id                         kind             text           row, column   flags, least size
    {IDC_STATIC,                  Kind::kLabel,    "File",        {0, 0}},
    {CImageDlg::IDC_FILE,         Kind::kEdit,     "",            {0, 1},       0, {240, 0}},
    {CImageDlg::IDC_BROWSE,       Kind::kButton,   "Browse",      {0, 2}},
    {IDC_STATIC,                  Kind::kLabel,    "Scale%:",     {1, 0}},
    {CImageDlg::IDC_SCALE,        Kind::kEdit,     "",            {1, 1}},
    {CImageDlg::IDC_TRANSPARENT,  Kind::kCheck,    "Transparent", {2, 1}},
}};

// An icon and an empty line of text at the top, no group box.
const DlgTemplate kFormulaTemplate = {CFormulaDlg::IDD, "Formula Properities", nullptr, {
    // id                             kind           text             row, column, span
    {IDC_STATIC,                      Kind::kIcon,   "",              {0, 0}},
    {IDC_STATIC,                      Kind::kLabel,  "",              {0, 1, 2}},
    {IDC_STATIC,                      Kind::kLabel,  "FileName[&F]:", {1, 0}},
    {CFormulaDlg::IDC_FILE,           Kind::kEdit,   "",              {1, 1},  0, {240, 0}},
    {CFormulaDlg::IDC_BROWSE,         Kind::kButton, "Browse[&B]...", {1, 2}},
    {IDC_STATIC,                      Kind::kLabel,  "Scaling(%):",   {2, 0}},
    {CFormulaDlg::IDC_SCALE,          Kind::kEdit,   "",              {2, 1}},
    {CFormulaDlg::IDC_EDIT_FORMULA,   Kind::kButton, "Edit[&E]...",   {2, 2}},
}};
// clang-format on

namespace {

// What follows the project directory in path when path lies in it (the directory, then a
// separator unless the directory ends with one); every path lies in an empty directory.
std::optional<std::string_view> RestInProject(std::string_view path, std::string_view dir) {
    if (dir.empty()) return path;
    if (!path.starts_with(dir)) return std::nullopt;
    const std::string_view rest = path.substr(dir.size());
    if (NameStart(dir) == dir.size()) return rest;
    if (!rest.empty() && IsSeparator(rest.front())) return rest.substr(1);
    return std::nullopt;
}

// Native names compared as the resolver compares them: ASCII letters in either case (UTF-8
// bytes of other characters are never letters).
bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

// Copies the file strFile names into the project's folder, under the source's own name on
// disk; files there of that name in another letter case go, so that the page's name finds the
// copy. True when the file is there: copied, or already there (a source that is that very file
// is not copied onto itself, which would truncate it).
bool CopyIntoFolder(std::string_view strFile, std::string_view strDirPrj,
                    std::string_view strFolder) {
    std::error_code error;
    if (!fs::is_directory(fs::path(strDirPrj), error)) return false;
    const fs::path source = tessel::platform::ResolvePath(strDirPrj, strFile);
    if (!fs::is_regular_file(source, error)) return false;

    while (!strFolder.empty() && IsSeparator(strFolder.back()))
        strFolder.remove_suffix(1);
    const fs::path folder = tessel::platform::ResolvePath(strDirPrj, strFolder);
    // A fresh project has no folder for pictures or formulas yet.
    if (!fs::exists(folder, error) && !fs::create_directory(folder, error)) return false;
    if (!fs::is_directory(folder, error)) return false;

    const std::string strLeaf = source.filename().string();
    std::vector<fs::path> sameName;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (SameNameIgnoringCase(it->path().filename().string(), strLeaf))
            sameName.push_back(it->path());
    if (error) return false;

    if (std::ranges::none_of(sameName, [&](const fs::path& p) { return SameFile(p, source); })) {
        // Through a file of its own first, so that a copy that fails halfway leaves what was
        // there.
        const fs::path temporary = folder / ("." + strLeaf + ".tessel-copy");
        if (!fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, error)) {
            fs::remove(temporary, error);
            return false;
        }
        fs::rename(temporary, folder / strLeaf, error);
        if (error) {
            fs::remove(temporary, error);
            return false;
        }
    }
    for (const fs::path& existing : sameName)
        if (existing.filename() != strLeaf && !SameFile(existing, source))
            fs::remove(existing, error);
    return true;
}

}  // namespace

std::string PlaceFileInProject(std::string_view strFile, std::string_view strDirPrj,
                               std::string_view strFolder) {
    const std::string strUpperFile = UpperCaseAscii(strFile);
    const std::string strUpperDir = UpperCaseAscii(strDirPrj);
    const std::string strName = strUpperFile.substr(NameStart(strUpperFile));
    if (const std::optional<std::string_view> rest = RestInProject(strUpperFile, strUpperDir))
        return std::string(*rest);
    if (CopyIntoFolder(strFile, strDirPrj, strFolder)) return std::string(strFolder) + strName;
    return strUpperFile;
}

}  // namespace tessel::widgets

namespace {

// The full path on this system of the formula file the dialog names: the file found, or, for a
// file not there yet, the place a new one goes (its name in the folder found, as UTF-8).
fs::path FormulaPath(const std::string& strFile, const std::string& strDirPrj, bool& bExists) {
    const fs::path found = tessel::platform::ResolvePath(strDirPrj, strFile);
    std::error_code error;
    bExists = fs::is_regular_file(found, error);
    fs::path path = found;
    const std::size_t nStart = NameStart(strFile);
    if (!bExists && nStart < strFile.size())
        path = found.parent_path() / tessel::platform::GbkToUtf8(strFile.substr(nStart));
    const fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute;
}

// Makes a new empty file; false when it exists already or cannot be made.
bool CreateEmptyFile(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

// The file dialog of a Browse button: the path chosen, or nothing for Cancel.
std::optional<std::string> ChooseFile(const char* szDefExt, const char* szFilter, CWnd* pParent) {
    CFileDialog dialog(TRUE, szDefExt, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, szFilter,
                       pParent);
    if (dialog.DoModal() != IDOK) return std::nullopt;
    return dialog.GetPathName();
}

}  // namespace

// --- The Image dialog ------------------------------------------------------------------------

CImageDlg::CImageDlg(CWnd* pParent) : CDialog(tessel::widgets::kImageTemplate, pParent) {}

void CImageDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_FILE, m_strFile);
    DDX_Text(pDX, IDC_SCALE, m_nScale);
    DDX_Check(pDX, IDC_TRANSPARENT, m_bTransparent);
}

void CImageDlg::OnOK() {
    if (!UpdateData(TRUE)) return;
    m_strFile =
        tessel::widgets::PlaceFileInProject(m_strFile, m_strDirPrj, tessel::widgets::kImageFolder);
    UpdateData(FALSE);
    EndDialog(IDOK);
}

void CImageDlg::OnCommand(int nID, UINT nCode) {
    if (nID == IDC_BROWSE && nCode == BN_CLICKED) OnBrowse();
}

void CImageDlg::OnBrowse() {
    if (!UpdateData(TRUE)) return;
    const std::optional<std::string> chosen = ChooseFile(kDefaultExtension, kFilter, GetParent());
    if (!chosen) return;
    m_strFile = *chosen;
    UpdateData(FALSE);
}

// --- The Formula dialog ----------------------------------------------------------------------

CFormulaDlg::CFormulaDlg(CWnd* pParent) : CDialog(tessel::widgets::kFormulaTemplate, pParent) {}

void CFormulaDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_FILE, m_strFile);
    DDX_Text(pDX, IDC_SCALE, m_nScale);
}

void CFormulaDlg::OnOK() {
    if (!UpdateData(TRUE)) return;
    if (m_strFile.empty()) {
        MessageBox(kEmptyName);
        return;
    }
    if (m_nScale < kMinScale) {
        MessageBox(kScaleTooSmall);
        return;
    }
    m_strFile = tessel::widgets::PlaceFileInProject(m_strFile, m_strDirPrj,
                                                    tessel::widgets::kFormulaFolder);
    UpdateData(FALSE);
    EndDialog(IDOK);
}

void CFormulaDlg::OnCommand(int nID, UINT nCode) {
    if (nCode != BN_CLICKED) return;
    if (nID == IDC_BROWSE) OnBrowse();
    if (nID == IDC_EDIT_FORMULA) OnEditFormula();
}

void CFormulaDlg::OnBrowse() {
    if (!UpdateData(TRUE)) return;
    const std::optional<std::string> chosen = ChooseFile(kDefaultExtension, kFilter, GetParent());
    if (!chosen) return;
    m_strFile = *chosen;
    UpdateData(FALSE);
}

// The formula editor is started on the file and left running: the dialog stays open, and the
// user presses OK when the formula is written.
void CFormulaDlg::OnEditFormula() {
    if (!UpdateData(TRUE)) return;
    bool bExists = false;
    const fs::path path = FormulaPath(m_strFile, m_strDirPrj, bExists);
    if (!bExists) {
        if (MessageBox(kAskCreate, nullptr, MB_YESNO) != IDYES) return;
        if (!CreateEmptyFile(path)) {
            MessageBox(kCannotCreate);
            return;
        }
    }
    const std::optional<std::string> program = tessel::platform::FindProgram(kFormulaEditor);
    if (!program) {
        MessageBox(kEditorMissing, nullptr, MB_OK | MB_ICONWARNING);
        return;
    }
    if (!tessel::platform::StartProgram(*program, {path.string()}))
        MessageBox(kEditorFailed, nullptr, MB_OK | MB_ICONWARNING);
}
