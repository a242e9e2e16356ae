#include "studio_window.h"

#include <unistd.h>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <initializer_list>

#include "editor/tessel_edit.h"
#include "embed/tessel_editor.h"
#include "page_file.h"
#include "platform/color_dialog.h"
#include "platform/dialog.h"
#include "platform/file_dialog.h"
#include "platform/gbk.h"
#include "widgets/edit_commands.h"

namespace tessel::studio {
namespace {

// The height of the editor's tool window (75) and the gap it keeps above the page (20).
constexpr int kToolWindowBand = 95;

QString g_strSettingsFile;

constexpr const char* kPageFilter = "Pages (*.tsm)|*.tsm|All files (*.*)|*.*||";

// The window's first size; the page is laid out for whatever size the author gives it.
constexpr int kStartWidth = 760;
constexpr int kStartHeight = 600;

QStringList ToQt(const std::vector<std::string>& gbk) {
    QStringList out;
    for (const std::string& item : gbk)
        out.push_back(QString::fromStdString(platform::GbkToUtf8(item)));
    return out;
}

QColor ToQColor(COLORREF cr) {
    return QColor(GetRValue(cr), GetGValue(cr), GetBValue(cr));
}

std::string FileName(const std::string& strPath) {
    return std::filesystem::path(strPath).filename().string();
}

std::string FolderOf(const std::string& strPath) {
    const std::filesystem::path parent = std::filesystem::absolute(strPath).parent_path();
    return parent.string();
}

bool Exists(const std::string& strPath) {
    std::error_code ec;
    return std::filesystem::exists(strPath, ec);
}

std::string KindAt(const CTesselEdit& editor) {
    if (!editor.m_pList) return "empty page";
    const int nLink = editor.m_CurPos.nLink;
    const CLink* p = editor.m_pList->FirstLink();
    for (int i = 0; p && i < nLink; ++i)
        p = p->m_pNext;
    if (!p) return "end of page";
    return KindName(p->m_nKind);
}

}  // namespace

std::string PlatformForSession(const std::string& strChosen, const std::string& strWayland,
                               const std::string& strX11) {
    if (!strChosen.empty() || strWayland.empty() || strX11.empty()) return {};
    return "xcb";
}

void SetSettingsFile(const QString& strPath) {
    g_strSettingsFile = strPath;
}

std::unique_ptr<QSettings> OpenSettings() {
    if (!g_strSettingsFile.isEmpty())
        return std::make_unique<QSettings>(g_strSettingsFile, QSettings::IniFormat);
    return std::make_unique<QSettings>(kOrganisation, kApplication);
}

StudioWindow::StudioWindow(QWidget* pParent) : QMainWindow(pParent) {
    // The editor's tool window floats 20 pixels above the page: a band of that height above
    // the page keeps it inside the studio's window, over the band, instead of off the screen
    // when the window is at the top of it.
    auto* pCentral = new QWidget(this);
    auto* pLayout = new QVBoxLayout(pCentral);
    pLayout->setContentsMargins(0, kToolWindowBand, 0, 0);
    m_pPage = new TesselEditor(pCentral);
    pLayout->addWidget(m_pPage);
    setCentralWidget(pCentral);
    resize(kStartWidth, kStartHeight);
    // The widget carries the editor's notifications over every reopening of the page.
    connect(m_pPage, &TesselEditor::changed, this, [this]() { UpdateTitle(); });
    connect(m_pPage, &TesselEditor::selectionChanged, this, [this]() { UpdateStatus(); });
    connect(m_pPage, &TesselEditor::formatChanged, this, [this]() { UpdateStatus(); });
    m_pStatusLabel = new QLabel(this);
    statusBar()->addPermanentWidget(m_pStatusLabel, 1);

    const std::unique_ptr<QSettings> settings = OpenSettings();
    m_View.dZoom = std::clamp(settings->value("view/zoom", 1.0).toDouble(), 0.25, 4.0);
    m_View.nCharSpace = std::clamp(settings->value("view/charSpace", 0).toInt(), 0, 20);
    m_View.nLineSpace = std::clamp(settings->value("view/lineSpace", 2).toInt(), 0, 40);
    m_View.crHotLink = static_cast<COLORREF>(
        settings->value("view/hotLinkColour", 0xFF0000u).toUInt() & 0xFFFFFFu);

    BuildMenus();
    m_pAutosaveTimer = new QTimer(this);
    m_pAutosaveTimer->setInterval(kAutosaveMs);
    connect(m_pAutosaveTimer, &QTimer::timeout, this, [this]() { Autosave(); });
    m_pAutosaveTimer->start();
    OpenEditor("");
    m_strSavedMarkup.clear();
    UpdateTitle();
}

// The page widget closes its editor when Qt deletes it with the window. The recovery file
// stays: only a clean save or close removes it.
StudioWindow::~StudioWindow() = default;

CTesselEdit* StudioWindow::Editor() const {
    return m_pPage->editor();
}

// --- Menus ----------------------------------------------------------------------------------

void StudioWindow::BuildMenus() {
    QMenu* pFile = menuBar()->addMenu(tr("&File"));
    pFile->addAction(tr("&New"), QKeySequence::New, this, [this]() { NewPage(); });
    pFile->addAction(tr("&Open..."), QKeySequence::Open, this, [this]() {
        CFileDialog dialog(TRUE, "tsm", nullptr, OFN_FILEMUSTEXIST, kPageFilter);
        if (dialog.DoModal() == IDOK) OpenPage(platform::GbkToUtf8(dialog.GetPathName()));
    });
    m_pRecentMenu = pFile->addMenu(tr("Open &Recent"));
    pFile->addAction(tr("&Save"), QKeySequence::Save, this, [this]() { Save(); });
    pFile->addAction(tr("Save &As..."), QKeySequence::SaveAs, this, [this]() { SaveAs(); });
    pFile->addSeparator();
    pFile->addAction(tr("Project &Folder..."), this, [this]() { ChooseProjectDirectory(); });
    pFile->addSeparator();
    pFile->addAction(tr("Pu&blish as HTML..."), this, [this]() { Publish(); });
    pFile->addAction(tr("Export P&DF..."), this, [this]() { ExportPdf(); });
    pFile->addAction(tr("&Print..."), QKeySequence::Print, this, [this]() { Print(); });
    pFile->addSeparator();
    pFile->addAction(tr("&Quit"), QKeySequence::Quit, this, [this]() { close(); });
    RebuildRecentMenu();

    QMenu* pEdit = menuBar()->addMenu(tr("&Edit"));
    pEdit->addAction(tr("&Undo"), QKeySequence::Undo, this,
                     [this]() { SendCommand(commands::kUndo); });
    pEdit->addAction(tr("&Redo"), QKeySequence::Redo, this,
                     [this]() { SendCommand(commands::kRedo); });
    pEdit->addSeparator();
    pEdit->addAction(tr("Cu&t"), QKeySequence::Cut, this,
                     [this]() { SendCommand(commands::kCut); });
    pEdit->addAction(tr("&Copy"), QKeySequence::Copy, this,
                     [this]() { SendCommand(commands::kCopy); });
    pEdit->addAction(tr("&Paste"), QKeySequence::Paste, this,
                     [this]() { SendCommand(commands::kPaste); });
    pEdit->addAction(tr("Paste as Plain &Text"), QKeySequence(tr("Ctrl+Shift+V")), this,
                     [this]() { SendCommand(commands::kPastePlain); });
    pEdit->addSeparator();
    pEdit->addAction(tr("Select &All"), QKeySequence::SelectAll, this,
                     [this]() { SendCommand(commands::kSelectAll); });

    // The editor's insert commands, also in the menu bar: its tool window keeps its own
    // buttons as they are (the Insert Frame button there starts greyed and stays so).
    QMenu* pInsert = menuBar()->addMenu(tr("&Insert"));
    const std::pair<unsigned int, QString> inserts[] = {
        {commands::kInsertImage, tr("&Picture...")},
        {commands::kInsertFormula, tr("&Formula...")},
        {commands::kInsertEdit, tr("Fill-in &Frame...")},
        {commands::kInsertCheck, tr("&Judgement...")},
        {commands::kInsertChoice, tr("&Choices...")},
        {commands::kInsertPageScore, tr("Page &Score...")},
        {commands::kInsertTotalScore, tr("&Total Score")},
        {commands::kInsertPageTotalScore, tr("Page Total Sc&ore...")},
        {commands::kInsertMultiColumn, tr("Colu&mns...")},
        {commands::kInsertSymbol, tr("S&ymbol...")},
        {commands::kImportText, tr("Te&xt File...")},
        {commands::kHotLink, tr("&Hot Link...")},
    };
    for (const auto& [nId, text] : inserts)
        pInsert->addAction(text, this, [this, nId = nId]() { SendCommand(nId); });

    QMenu* pView = menuBar()->addMenu(tr("&View"));
    // A submenu of values of one view setting, the current one checked; choosing another
    // applies it.
    const auto addChoices = [this, pView](const QString& title, std::initializer_list<int> values,
                                          const auto& label, int nCurrent, const auto& apply) {
        QMenu* pMenu = pView->addMenu(title);
        auto* pGroup = new QActionGroup(this);
        for (const int n : values) {
            QAction* pAction = pMenu->addAction(label(n));
            pAction->setCheckable(true);
            pAction->setChecked(n == nCurrent);
            pGroup->addAction(pAction);
            connect(pAction, &QAction::triggered, this, [this, n, apply]() {
                ViewSettings view = m_View;
                apply(view, n);
                SetView(view);
            });
        }
    };
    const auto percent = [](int n) { return QString::number(n) + "%"; };
    const auto pixels = [](int n) { return StudioWindow::tr("%1 px").arg(n); };
    addChoices(tr("&Zoom"), {50, 75, 100, 125, 150, 200}, percent, qRound(m_View.dZoom * 100),
               [](ViewSettings& view, int n) { view.dZoom = n / 100.0; });
    addChoices(tr("&Character Spacing"), {0, 1, 2, 3, 4}, pixels, m_View.nCharSpace,
               [](ViewSettings& view, int n) { view.nCharSpace = n; });
    addChoices(tr("&Line Spacing"), {0, 2, 4, 6, 8}, pixels, m_View.nLineSpace,
               [](ViewSettings& view, int n) { view.nLineSpace = n; });
    pView->addAction(tr("&Hot-Link Colour..."), this, [this]() { ChooseHotLinkColour(); });
}

QStringList StudioWindow::RecentFiles() const {
    return OpenSettings()->value("recent/files").toStringList();
}

void StudioWindow::RebuildRecentMenu() {
    m_pRecentMenu->clear();
    const QStringList files = RecentFiles();
    for (const QString& file : files) {
        m_pRecentMenu->addAction(file, this, [this, file]() {
            const std::string strPath = file.toStdString();
            if (!Exists(strPath)) {
                Ask(strPath + " no longer exists; it is taken off the recent files.",
                    MB_OK | MB_ICONWARNING);
                QStringList list = RecentFiles();
                list.removeAll(file);
                OpenSettings()->setValue("recent/files", list);
                RebuildRecentMenu();
                return;
            }
            OpenPage(strPath);
        });
    }
    m_pRecentMenu->setEnabled(!files.isEmpty());
}

void StudioWindow::AddRecent(const std::string& strPath) {
    const QString file = QString::fromStdString(std::filesystem::absolute(strPath).string());
    QStringList list = RecentFiles();
    list.removeAll(file);
    list.prepend(file);
    while (list.size() > kMaxRecentFiles)
        list.removeLast();
    OpenSettings()->setValue("recent/files", list);
    RebuildRecentMenu();
}

// --- The editor -----------------------------------------------------------------------------

bool StudioWindow::OpenEditor(const std::string& strMarkup) {
    // The project folder and the lists are the widget's already (RescanProject).
    m_pPage->setHotLinkColor(ToQColor(m_View.crHotLink));
    m_pPage->setZoom(m_View.dZoom);
    m_pPage->setSpacing(m_View.nCharSpace, m_View.nLineSpace);
    m_pPage->setMarkup(QByteArray::fromStdString(strMarkup));
    if (!Editor()) {
        Ask("The editor could not be opened.", MB_OK | MB_ICONERROR);
        return false;
    }
    UpdateStatus();
    return true;
}

void StudioWindow::SendCommand(unsigned int nId) {
    if (CTesselEdit* pEditor = Editor()) pEditor->SendMessage(WM_COMMAND, nId);
}

bool StudioWindow::IsModified() const {
    CTesselEdit* pEditor = Editor();
    if (!pEditor) return false;
    return m_bChangedSinceSave || pEditor->GetEditText() != m_strSavedMarkup;
}

void StudioWindow::UpdateTitle() {
    const QString name =
        m_strPath.empty() ? tr("Untitled") : QString::fromStdString(FileName(m_strPath));
    setWindowTitle(name + "[*] - Tessel Studio");
    setWindowModified(IsModified());
}

QString StudioWindow::StatusText() const {
    const CTesselEdit* pEditor = Editor();
    if (!pEditor) return {};
    // The column editor being typed in, when the caret is in a column of a frame.
    if (g_nFocusEdit >= 0 && g_nFocusEdit / 16 < kMaxFrames) {
        if (const CTesselEdit* pColumn =
                pEditor->m_pChildEdit[g_nFocusEdit / 16][g_nFocusEdit % 16])
            pEditor = pColumn;
    }
    const CharFormat format = pEditor->CurrentFormat();
    QString text = QString::fromStdString(KindAt(*pEditor)) + " | " +
                   QString::fromStdString(platform::GbkToUtf8(format.strFontName)) + " " +
                   QString::number(format.nFontSize);
    if (format.bBold) text += tr(" bold");
    if (format.bItalic) text += tr(" italic");
    if (format.bUnderline) text += tr(" underline");
    return text;
}

void StudioWindow::UpdateStatus() {
    m_pStatusLabel->setText(StatusText());
}

int StudioWindow::Ask(const std::string& strText, unsigned int nType) const {
    return MessageBox(nullptr, platform::Utf8ToGbk(strText), "Tessel Studio", nType);
}

// --- Files ----------------------------------------------------------------------------------

bool StudioWindow::ConfirmDiscardOrSave() {
    if (!IsModified()) return true;
    const std::string strName = m_strPath.empty() ? "The untitled page" : FileName(m_strPath);
    const int nAnswer = Ask(strName +
                                " has unsaved changes.\n\nYes saves them, No discards them, "
                                "Cancel goes back to the page.",
                            MB_YESNOCANCEL | MB_ICONQUESTION);
    if (nAnswer == IDYES) return Save();
    if (nAnswer == IDNO) {
        RemoveRecovery();
        return true;
    }
    return false;
}

bool StudioWindow::NewPage() {
    if (!ConfirmDiscardOrSave()) return false;
    m_strPath.clear();
    m_bChangedSinceSave = m_bSaveNeedsConfirm = false;
    RescanProject();
    OpenEditor("");
    m_strSavedMarkup.clear();
    UpdateTitle();
    return true;
}

bool StudioWindow::OpenPage(const std::string& strPath) {
    std::string strError;
    std::optional<std::string> bytes = ReadPageFile(strPath, &strError);
    bool bNew = false;
    if (!bytes) {
        if (!Exists(strPath) && Exists(FolderOf(strPath))) {
            bytes = std::string();  // a new page, to be saved under that name
            bNew = true;
        } else {
            Ask("Cannot open " + strPath + ": " + strError + ".", MB_OK | MB_ICONERROR);
            return false;
        }
    }
    // The page open now stays when the new one cannot be read.
    if (!ConfirmDiscardOrSave()) return false;
    std::string strMarkup = *bytes;
    bool bRecovered = false;
    const std::string strRecovery = RecoveryPath(strPath);
    if (Exists(strRecovery)) {
        std::string strWhy;
        const std::optional<std::string> recovered = ReadPageFile(strRecovery, &strWhy);
        if (!recovered) {
            Ask("The recovery file " + strRecovery + " of " + FileName(strPath) +
                    " cannot be read (" + strWhy + "); the page opens as it was last saved.",
                MB_OK | MB_ICONWARNING);
        } else if (Ask(FileName(strPath) +
                           " has changes that were never saved: a session ended without "
                           "saving them.\n\nYes opens the page with those changes; No opens it "
                           "as it was last saved and deletes the recovery file " +
                           strRecovery + ".",
                       MB_YESNO | MB_ICONQUESTION) == IDYES) {
            strMarkup = *recovered;
            bRecovered = true;
        } else {
            ::unlink(strRecovery.c_str());
        }
    }

    const std::vector<Finding> losses = LossesOfPage(strMarkup);
    m_strPath = strPath;
    m_strProjectDir = FolderOf(strPath);
    RescanProject();
    if (!OpenEditor(strMarkup)) return false;
    m_strSavedMarkup = bRecovered ? std::string() : Editor()->GetEditText();
    m_bChangedSinceSave = bRecovered;
    m_bSaveNeedsConfirm = !losses.empty();
    m_strLossText = FindingsText(losses);
    if (!losses.empty()) {
        Ask(FileName(strPath) + " does not read whole; the editor holds the page without:\n\n" +
                m_strLossText +
                "\nThe file is not saved over unless you confirm it at the first save.",
            MB_OK | MB_ICONWARNING);
    }
    if (!bNew) AddRecent(strPath);
    UpdateTitle();
    if (!m_Lists.problems.empty())
        statusBar()->showMessage(QString::fromStdString(m_Lists.problems.front()));
    return true;
}

bool StudioWindow::Save() {
    if (m_strPath.empty()) return SaveAs();
    return SaveTo(m_strPath);
}

bool StudioWindow::SaveAs() {
    const std::string strStart =
        platform::Utf8ToGbk(m_strPath.empty() ? "untitled.tsm" : FileName(m_strPath));
    CFileDialog dialog(FALSE, "tsm", strStart.c_str(), OFN_OVERWRITEPROMPT, kPageFilter);
    if (dialog.DoModal() != IDOK) return false;
    const std::string strPath = platform::GbkToUtf8(dialog.GetPathName());
    if (strPath.empty()) return false;
    const std::string strOld = m_strPath;
    if (!SaveTo(strPath)) return false;
    RemoveRecovery();  // the old name's, or the untitled page's
    m_strPath = strPath;
    if (m_strProjectDir.empty() || strOld.empty()) m_strProjectDir = FolderOf(strPath);
    RescanProject();
    UpdateTitle();
    return true;
}

bool StudioWindow::SaveTo(const std::string& strPath) {
    CTesselEdit* pEditor = Editor();
    if (!pEditor) return false;
    const std::string strMarkup = pEditor->GetEditText();
    if (m_bSaveNeedsConfirm && strPath == m_strPath) {
        if (Ask(FileName(strPath) + " lost these parts when it was opened:\n\n" + m_strLossText +
                    "\nSaving writes the page without them (the file as it is now is kept as " +
                    FileName(BackupPath(strPath)) + "). Save?",
                MB_YESNO | MB_ICONWARNING) != IDYES)
            return false;
    }
    std::vector<Finding> cuts = LossesOnReopen(strMarkup);
    // What needs a row past the last one the editor lays out cannot be shown or reached; a
    // page that fills the rows exactly loses nothing.
    const TEXTPOS end = pEditor->LaidOutEnd();
    if (end.nLink != kEndMark) {
        cuts.push_back({"element " + std::to_string(end.nLink),
                        "the page needs more than the " + std::to_string(kMaxRows) +
                            " rows the editor lays out (at the window's present width): "
                            "from here on, where row " +
                            std::to_string(kMaxRows + 1) +
                            " would start, it cannot be shown or edited"});
    }
    if (!cuts.empty()) {
        if (Ask("Reopening " + FileName(strPath) + " would not give this page back whole:\n\n" +
                    FindingsText(cuts) + "\nSave anyway?",
                MB_YESNO | MB_ICONWARNING) != IDYES)
            return false;
    }
    std::string strError;
    if (!WritePageAtomically(strPath, strMarkup, true, &strError)) {
        Ask("The page was not saved: " + strError + ".\nThe file " + strPath +
                " is as it was before.",
            MB_OK | MB_ICONERROR);
        return false;
    }
    if (strPath == m_strPath) RemoveRecovery();
    m_strSavedMarkup = strMarkup;
    m_bChangedSinceSave = false;
    m_bSaveNeedsConfirm = false;
    AddRecent(strPath);
    UpdateTitle();
    statusBar()->showMessage(tr("Saved %1").arg(QString::fromStdString(strPath)), 5000);
    return true;
}

std::string StudioWindow::RecoveryFile() const {
    if (!m_strPath.empty()) return RecoveryPath(m_strPath);
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty()) state = QDir::homePath() + "/.local/state";
    return (state + "/tessel-studio/untitled-" + QString::number(::getpid()) + ".tsm.recovery")
        .toStdString();
}

void StudioWindow::RemoveRecovery() {
    ::unlink(RecoveryFile().c_str());
}

bool StudioWindow::Autosave() {
    CTesselEdit* pEditor = Editor();
    if (!pEditor) return false;
    if (!IsModified()) {
        RemoveRecovery();
        return true;
    }
    const std::string strFile = RecoveryFile();
    if (m_strPath.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(strFile).parent_path(), ec);
    }
    std::string strError;
    if (!WritePageAtomically(strFile, pEditor->GetEditText(), false, &strError)) {
        statusBar()->showMessage(tr("Autosave failed: %1").arg(QString::fromStdString(strError)));
        return false;
    }
    return true;
}

void StudioWindow::closeEvent(QCloseEvent* pEvent) {
    if (!ConfirmDiscardOrSave()) {
        pEvent->ignore();
        return;
    }
    m_pAutosaveTimer->stop();
    RemoveRecovery();
    pEvent->accept();
}

// --- Project and view -----------------------------------------------------------------------

void StudioWindow::RescanProject() {
    m_Lists = ScanProject(m_strProjectDir, m_strPath.empty() ? std::string() : FileName(m_strPath));
    // Both take effect at once and hold for the pages opened later.
    m_pPage->setProjectDirectory(QString::fromStdString(m_strProjectDir));
    m_pPage->setPageLists(ToQt(m_Lists.media), ToQt(m_Lists.pages), ToQt(m_Lists.idents));
}

void StudioWindow::SetProjectDirectory(const std::string& strDir) {
    m_strProjectDir = strDir;
    RescanProject();
    // Pictures and formulas are looked up again in the new folder.
    if (CTesselEdit* pEditor = Editor()) OpenEditor(pEditor->GetEditText());
}

void StudioWindow::ChooseProjectDirectory() {
    CFileDialog dialog(TRUE);
    dialog.SetFolderMode("Project Folder", platform::Utf8ToGbk(m_strProjectDir));
    if (dialog.DoModal() != IDOK) return;
    std::string strDir = platform::GbkToUtf8(dialog.GetPathName());
    while (strDir.size() > 1 && strDir.back() == '/')
        strDir.pop_back();
    SetProjectDirectory(strDir);
}

void StudioWindow::SetView(const ViewSettings& view) {
    m_View = view;
    const std::unique_ptr<QSettings> settings = OpenSettings();
    settings->setValue("view/zoom", m_View.dZoom);
    settings->setValue("view/charSpace", m_View.nCharSpace);
    settings->setValue("view/lineSpace", m_View.nLineSpace);
    settings->setValue("view/hotLinkColour", static_cast<unsigned>(m_View.crHotLink));
    if (CTesselEdit* pEditor = Editor()) OpenEditor(pEditor->GetEditText());
    UpdateTitle();
}

void StudioWindow::ChooseHotLinkColour() {
    CColorDialog dialog(m_View.crHotLink);
    if (dialog.DoModal() != IDOK) return;
    ViewSettings view = m_View;
    view.crHotLink = dialog.GetColor();
    SetView(view);
}

}  // namespace tessel::studio
