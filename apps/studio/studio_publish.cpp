// File > Publish as HTML, Export PDF and Print: the page handed to the publishing library with
// the window's view settings, and what it reports said to the author.

#include <QDesktopServices>
#include <QDir>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QUrl>

#include <filesystem>
#include <string>

#include "editor/tessel_edit.h"
#include "platform/dialog.h"
#include "platform/file_dialog.h"
#include "platform/gbk.h"
#include "publish.h"
#include "studio_window.h"

namespace tessel::studio {
namespace {

std::function<bool(const QUrl&)>& BrowserOpener() {
    static std::function<bool(const QUrl&)> opener;
    return opener;
}

constexpr const char* kPdfFilter = "PDF files (*.pdf)|*.pdf|All files (*.*)|*.*||";

// At most this many problems are listed one by one; the rest are counted.
constexpr std::size_t kListedProblems = 12;

std::string ProblemLine(const publish::PublishProblem& problem) {
    std::string strLine = "- ";
    if (problem.nElement >= 0) strLine += "element " + std::to_string(problem.nElement + 1) + " ";
    if (!problem.strName.empty()) strLine += "\"" + platform::GbkToUtf8(problem.strName) + "\" ";
    return strLine + problem.strWhat;
}

// Paper takes the page as the author views it; its width is the paper's.
publish::PaperOptions PaperFor(const ViewSettings& view) {
    publish::PaperOptions options;
    options.dZoom = view.dZoom;
    options.nCharSpace = view.nCharSpace;
    options.nLineSpace = view.nLineSpace;
    options.crHotLink = view.crHotLink;
    return options;
}

}  // namespace

void StudioWindow::SetBrowserOpener(std::function<bool(const QUrl&)> opener) {
    BrowserOpener() = std::move(opener);
}

std::string StudioWindow::DefaultPublishFolder() const {
    if (m_strPath.empty()) {
        const std::string strBase = m_strProjectDir.empty() ? "." : m_strProjectDir;
        return (std::filesystem::path(strBase) / "page-html").string();
    }
    const std::filesystem::path page = std::filesystem::absolute(m_strPath);
    return (page.parent_path() / (page.stem().string() + "-html")).string();
}

bool StudioWindow::PublishTo(const std::string& strOutDir, bool bOpen) {
    CTesselEdit* pEditor = Editor();
    if (!pEditor) return false;
    const publish::PublishReport report =
        publish::PublishHtml(pEditor->GetEditText(), m_strProjectDir, strOutDir);
    if (!report.bWritten) {
        std::string strText = "The page could not be published into " + strOutDir + ".";
        if (!report.problems.empty()) strText += "\n\n" + report.problems.front().strWhat;
        Ask(strText, MB_OK | MB_ICONERROR);
        return false;
    }
    if (!report.problems.empty()) {
        std::string strText = "The page was published into " + strOutDir +
                              ", but not everything in it could be published as it is:\n\n";
        for (std::size_t i = 0; i < report.problems.size() && i < kListedProblems; ++i)
            strText += ProblemLine(report.problems[i]) + "\n";
        if (report.problems.size() > kListedProblems)
            strText +=
                "and " + std::to_string(report.problems.size() - kListedProblems) + " more.\n";
        Ask(strText, MB_OK | MB_ICONWARNING);
    }
    statusBar()->showMessage(tr("Published %1").arg(QString::fromStdString(report.strHtmlPath)),
                             5000);
    if (bOpen) {
        const QUrl url = QUrl::fromLocalFile(QString::fromStdString(report.strHtmlPath));
        const bool bOpened =
            BrowserOpener() ? BrowserOpener()(url) : QDesktopServices::openUrl(url);
        if (!bOpened)
            Ask("The published page is " + report.strHtmlPath +
                    "; no browser could be started to show it.",
                MB_OK | MB_ICONINFORMATION);
    }
    return true;
}

bool StudioWindow::ExportPdfTo(const std::string& strPdfPath) {
    CTesselEdit* pEditor = Editor();
    if (!pEditor) return false;
    const publish::PaperReport report =
        publish::ExportPdf(pEditor->GetEditText(), m_strProjectDir, strPdfPath, PaperFor(m_View));
    if (!report.bWritten) {
        Ask("The PDF file " + strPdfPath + " could not be written: " + report.strError,
            MB_OK | MB_ICONERROR);
        return false;
    }
    statusBar()->showMessage(tr("Exported %1 (%n page(s))", nullptr, report.nPages)
                                 .arg(QString::fromStdString(strPdfPath)),
                             5000);
    return true;
}

bool StudioWindow::PrintTo(QPrinter& printer) {
    CTesselEdit* pEditor = Editor();
    if (!pEditor) return false;
    const publish::PaperReport report =
        publish::PrintPage(printer, pEditor->GetEditText(), m_strProjectDir, PaperFor(m_View));
    if (!report.bWritten) {
        Ask("The page could not be printed: " + report.strError, MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

void StudioWindow::Publish() {
    CFileDialog dialog(TRUE);
    dialog.SetFolderMode("Publish Into Folder", platform::Utf8ToGbk(DefaultPublishFolder()));
    if (dialog.DoModal() != IDOK) return;
    PublishTo(platform::GbkToUtf8(dialog.GetPathName()), true);
}

void StudioWindow::ExportPdf() {
    std::string strStart =
        m_strPath.empty() ? "page.pdf"
                          : std::filesystem::path(m_strPath).replace_extension(".pdf").string();
    CFileDialog dialog(FALSE, "pdf", platform::Utf8ToGbk(strStart).c_str(), OFN_OVERWRITEPROMPT,
                       kPdfFilter);
    if (dialog.DoModal() != IDOK) return;
    ExportPdfTo(platform::GbkToUtf8(dialog.GetPathName()));
}

void StudioWindow::Print() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintTo(printer);
}

}  // namespace tessel::studio
