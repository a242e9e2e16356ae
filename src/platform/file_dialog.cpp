// File-open and file-save dialogs: answered by a test's or a tool's answerer when one is set,
// otherwise shown as a QFileDialog (and cancelled when there is no screen to show it on).
// Names are GBK on this side and native (UTF-8) on Qt's and the file system's.

#include "platform/file_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QStringList>

#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/gbk.h"
#include "platform/gdi_qt.h"
#include "platform/window_qt.h"

namespace {

tessel::platform::FileDialogAnswerer& TheAnswerer() {
    static auto* pAnswerer = new tessel::platform::FileDialogAnswerer;
    return *pAnswerer;
}

std::string Text(const char* sz) {
    return sz != nullptr ? std::string(sz) : std::string();
}

QString FromGbk(const std::string& gbk) {
    return tessel::platform::GbkToQString(gbk.data(), static_cast<int>(gbk.size()));
}

// A native name as GBK; nothing when GBK cannot hold it (the document could not keep it).
std::optional<std::string> ToGbk(const QString& name) {
    const QByteArray utf8 = name.toUtf8();
    bool bLossy = false;
    std::string gbk = tessel::platform::Utf8ToGbk(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), &bLossy);
    if (bLossy) return std::nullopt;
    return gbk;
}

// The default extension without a leading "*." or ".".
std::string BareExtension(const std::string& strDefExt) {
    // "*.bmp;*.dib;..." names several: the first is the one added.
    std::size_t n = 0;
    while (n < strDefExt.size() && (strDefExt[n] == '*' || strDefExt[n] == '.'))
        ++n;
    return strDefExt.substr(n, strDefExt.find(';', n) - n);
}

// The part after the last folder separator. GBK second bytes are never '/' (they are 0x40
// or more), so the byte search is safe on GBK names.
std::string LastComponent(const std::string& strPath) {
    const std::size_t nSlash = strPath.rfind('/');
    return nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
}

// "Name|*.a;*.b|Other|*.c|" as Qt's filter list: "Name (*.a *.b)", "Other (*.c)".
QStringList QtFilters(const std::string& strFilter) {
    QStringList parts = FromGbk(strFilter).split(QLatin1Char('|'));
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns = patterns.simplified();
        if (patterns.isEmpty()) continue;
        filters << parts[i].trimmed() + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

}  // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* szDefExt, const char* szFileName,
                         DWORD dwFlags, const char* szFilter, CWnd* pParentWnd)
    : m_bOpen(bOpenFileDialog != FALSE),
      m_strDefExt(Text(szDefExt)),
      m_strFileName(Text(szFileName)),
      m_dwFlags(dwFlags),
      m_strFilter(Text(szFilter)),
      m_pParent(pParentWnd) {}

int CFileDialog::DoModal() {
    m_strPath.clear();
    std::optional<std::string> chosen;
    if (const auto& answerer = TheAnswerer()) {
        chosen = answerer(*this);
        if (chosen && !chosen->empty() && chosen->front() != '/') {
            // Relative to the current directory, which is a native name.
            std::error_code error;
            const std::filesystem::path current = std::filesystem::current_path(error);
            if (error) return IDCANCEL;
            const std::optional<std::string> dir = ToGbk(QString::fromStdString(current.string()));
            if (!dir) return IDCANCEL;
            std::string strName = *chosen;
            while (strName.size() >= 2 && strName[0] == '.' && strName[1] == '/')
                strName.erase(0, 2);
            chosen = *dir + (dir->empty() || dir->back() != '/' ? "/" : "") + strName;
        }
    } else {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr ||
            QGuiApplication::platformName() == QLatin1String("offscreen")) {
            return IDCANCEL;
        }
        QFileDialog dialog(tessel::platform::WidgetOf(m_pParent));
        if (m_bFolder) {
            dialog.setWindowTitle(FromGbk(m_strTitle));
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::Directory);
            dialog.setOption(QFileDialog::ShowDirsOnly);
            if (!m_strInitialFolder.empty()) dialog.setDirectory(FromGbk(m_strInitialFolder));
        } else {
            dialog.setAcceptMode(m_bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
            dialog.setFileMode(m_bOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
            if (!m_bOpen && (m_dwFlags & OFN_OVERWRITEPROMPT) == 0)
                dialog.setOption(QFileDialog::DontConfirmOverwrite);
            if (m_bOpen && (m_dwFlags & OFN_READONLY) != 0) dialog.setOption(QFileDialog::ReadOnly);
            const QStringList filters = QtFilters(m_strFilter);
            if (!filters.isEmpty()) dialog.setNameFilters(filters);
            const std::string strExt = BareExtension(m_strDefExt);
            if (!strExt.empty()) dialog.setDefaultSuffix(FromGbk(strExt));
            if (!m_strFileName.empty()) dialog.selectFile(FromGbk(m_strFileName));
        }
        if (dialog.exec() != QDialog::Accepted) return IDCANCEL;
        const QStringList files = dialog.selectedFiles();
        if (files.isEmpty()) return IDCANCEL;
        chosen = ToGbk(files.first());
    }
    if (!chosen || chosen->empty()) return IDCANCEL;

    // A folder is named with its separator at the end, so that what precedes the last
    // separator of the path is the folder itself.
    if (m_bFolder && chosen->back() != '/') *chosen += '/';
    // A save dialog gives a name typed without an extension the default one.
    const std::string strExt = BareExtension(m_strDefExt);
    if (!m_bFolder && !m_bOpen && !strExt.empty()) {
        const std::string strLast = LastComponent(*chosen);
        if (!strLast.empty() && strLast.find('.') == std::string::npos) *chosen += "." + strExt;
    }
    m_strPath = std::move(*chosen);
    return IDOK;
}

void CFileDialog::SetFolderMode(std::string_view strTitle, std::string_view strInitialFolder) {
    m_bFolder = true;
    m_strTitle = std::string(strTitle);
    m_strInitialFolder = std::string(strInitialFolder);
}

std::string CFileDialog::GetPathName() const {
    return m_strPath;
}

std::string CFileDialog::GetFileName() const {
    return LastComponent(m_strPath);
}

namespace tessel::platform {

void SetFileDialogAnswerer(FileDialogAnswerer answerer) {
    TheAnswerer() = std::move(answerer);
}

}  // namespace tessel::platform
