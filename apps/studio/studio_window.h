#pragma once

// Tessel Studio's main window: one page in the editor, with its file, its project and the
// author's view settings. Every question the window asks goes through the platform's message
// boxes and file dialogs, so that tests answer them (SetMessageBoxAnswerer,
// SetFileDialogAnswerer).

#include <QMainWindow>
#include <QSettings>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/wnd.h"
#include "project.h"

class CTesselEdit;
class QLabel;
class QPrinter;
class QUrl;
class TesselEditor;
class QMenu;
class QTimer;

namespace tessel::studio {

inline constexpr const char* kOrganisation = "Tessel";
inline constexpr const char* kApplication = "Studio";
inline constexpr int kAutosaveMs = 60 * 1000;
inline constexpr int kMaxRecentFiles = 8;

// The settings file used instead of the user's (QSettings "Tessel"/"Studio"); empty for the
// user's. Tests and `tessel-studio --settings FILE` set it.
void SetSettingsFile(const QString& strPath);
std::unique_ptr<QSettings> OpenSettings();

// The Qt platform the program sets before its QApplication is made, or empty to leave Qt's
// choice: on a Wayland session (WAYLAND_DISPLAY set) with XWayland (DISPLAY set) and no
// platform chosen (QT_QPA_PLATFORM empty), "xcb". A Wayland client cannot place its own
// top-level windows, and the editor puts its tool window above the page and the colour
// picker's popup under its button.
std::string PlatformForSession(const std::string& strChosen, const std::string& strWayland,
                               const std::string& strX11);

// The view settings, kept between runs.
struct ViewSettings {
    double dZoom = 1.0;
    int nCharSpace = 0;
    int nLineSpace = 2;
    COLORREF crHotLink = RGB(0, 0, 255);
};

class StudioWindow : public QMainWindow {
  public:
    explicit StudioWindow(QWidget* pParent = nullptr);
    ~StudioWindow() override;

    // --- Files --------------------------------------------------------------------------
    // Opens a page (a path of this system). Unsaved changes are asked about first. A page
    // whose recovery file exists is offered back; a page that reads with losses is opened
    // with a warning. A path that does not exist opens an empty page to be saved there. False
    // when nothing was opened (the author cancelled, or the file cannot be read: said).
    bool OpenPage(const std::string& strPath);
    // An empty untitled page (unsaved changes are asked about first).
    bool NewPage();
    // Saves to the page's file (Save As for an untitled page). False when not saved.
    bool Save();
    bool SaveAs();
    // Writes the unsaved changes to the recovery file (the timer does it every minute);
    // removes the recovery file when there are none. True when the recovery file is right.
    bool Autosave();
    // The unsaved-changes prompt: Save, Discard or Cancel. True when the caller may go on.
    bool ConfirmDiscardOrSave();
    bool IsModified() const;

    const std::string& PagePath() const { return m_strPath; }
    std::string RecoveryFile() const;
    // The editor on the page, for its commands and its state; it is replaced whenever the
    // page is opened in it again (a page opened, a view setting, the project folder).
    CTesselEdit* Editor() const;
    // The widget that holds the editor: the window's central widget, the page follows its
    // size.
    TesselEditor* PageWidget() const { return m_pPage; }

    // --- Project ------------------------------------------------------------------------
    void SetProjectDirectory(const std::string& strDir);
    const std::string& ProjectDirectory() const { return m_strProjectDir; }
    const ProjectLists& Lists() const { return m_Lists; }

    // --- View ---------------------------------------------------------------------------
    const ViewSettings& View() const { return m_View; }
    // Applies and remembers the settings; the page is reopened in the editor with them.
    void SetView(const ViewSettings& view);

    // --- Publishing (studio_publish.cpp) -------------------------------------------------
    // Writes the page as HTML with its pictures into strOutDir (made when missing) and, when
    // bOpen, opens it in the desktop's browser. What could not be published as the page asks
    // is said in one message box. False when the HTML page was not written.
    bool PublishTo(const std::string& strOutDir, bool bOpen);
    // The folder File > Publish offers first: "NAME-html" beside the page ("page-html" in the
    // project folder for an untitled page).
    std::string DefaultPublishFolder() const;
    // The page drawn by the editor into a PDF of A4 pages, with the view's settings. False
    // (and said) when it was not written.
    bool ExportPdfTo(const std::string& strPdfPath);
    // The same drawing on a printer the caller has set up.
    bool PrintTo(QPrinter& printer);
    // How a published page is opened: by default the desktop's browser (QDesktopServices);
    // tests put their own. Returns whether the page was handed over.
    static void SetBrowserOpener(std::function<bool(const QUrl&)> opener);

    // What the status bar shows: the element at the caret and the format there.
    QString StatusText() const;
    QStringList RecentFiles() const;

  protected:
    void closeEvent(QCloseEvent* pEvent) override;

  private:
    void BuildMenus();
    void RebuildRecentMenu();
    void AddRecent(const std::string& strPath);
    // Opens the editor on markup with the current view settings (the old editor is closed).
    bool OpenEditor(const std::string& strMarkup);
    void RescanProject();
    void UpdateTitle();
    void UpdateStatus();
    void SendCommand(unsigned int nId);
    bool SaveTo(const std::string& strPath);
    void RemoveRecovery();
    void ChooseProjectDirectory();
    void ChooseHotLinkColour();
    void Publish();
    void ExportPdf();
    void Print();
    // A message box through the platform (texts UTF-8 here, GBK there).
    int Ask(const std::string& strText, unsigned int nType) const;

    TesselEditor* m_pPage = nullptr;
    QLabel* m_pStatusLabel = nullptr;
    QMenu* m_pRecentMenu = nullptr;
    QTimer* m_pAutosaveTimer = nullptr;
    std::string m_strPath;  // empty: untitled
    std::string m_strProjectDir;
    std::string m_strSavedMarkup;      // the editor's markup as last opened or saved
    bool m_bChangedSinceSave = false;  // recovered edits: modified whatever the markup
    bool m_bSaveNeedsConfirm = false;  // the page read with losses: the first save asks
    std::string m_strLossText;
    ProjectLists m_Lists;
    ViewSettings m_View;
};

}  // namespace tessel::studio
