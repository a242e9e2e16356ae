#include "formula_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "formula/formula.h"
#include "formula_image.h"
#include "prompts.h"

namespace tessel::formula_editor {
namespace {

// Pages read formula files of at most this many bytes.
constexpr qsizetype kMaxFormulaBytes = 64 * 1024;
constexpr double kZoomStep = 1.25;

Prompts& DefaultPrompts() {
    static Prompts prompts;
    return prompts;
}

// UTF-16 units of the character at text[i].
int CharLength(const QString& text, int i) {
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

// Where in the text (as QPlainTextEdit positions count) the formula module's line and column
// are: lines end at "\n", columns count characters from 1. Past the end of a line, its end.
int PositionOf(const QString& text, int nLine, int nColumn) {
    const int n = static_cast<int>(text.size());
    int i = 0;
    for (int nAt = 1; nAt < nLine && i < n; ++i)
        if (text[i] == u'\n') ++nAt;
    for (int nAt = 1; nAt < nColumn && i < n && text[i] != u'\n'; ++nAt)
        i += CharLength(text, i);
    return i;
}

// The line and column of a position, counted as the formula module counts them.
std::pair<int, int> LineColumnAt(const QString& text, int nPosition) {
    int nLine = 1, nColumn = 1;
    for (int i = 0; i < nPosition && i < text.size(); i += CharLength(text, i)) {
        if (text[i] == u'\n') {
            ++nLine;
            nColumn = 1;
        } else {
            ++nColumn;
        }
    }
    return {nLine, nColumn};
}

}  // namespace

FormulaWindow::FormulaWindow(QWidget* pParent)
    : QMainWindow(pParent), m_pPrompts(&DefaultPrompts()), m_pFormula(new CFormula) {
    m_pSource = new QPlainTextEdit;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(std::max(font.pointSize(), 11));
    m_pSource->setFont(font);
    m_pSource->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_pSource->setTabChangesFocus(false);

    m_pDrawing = new QLabel;
    m_pDrawing->setAlignment(Qt::AlignCenter);
    m_pDrawing->setAutoFillBackground(true);
    QPalette palette = m_pDrawing->palette();
    palette.setColor(QPalette::Window, Qt::white);
    m_pDrawing->setPalette(palette);
    auto* pScroll = new QScrollArea;
    pScroll->setWidget(m_pDrawing);
    pScroll->setWidgetResizable(true);
    pScroll->setAlignment(Qt::AlignCenter);

    auto* pSplitter = new QSplitter(Qt::Horizontal);
    pSplitter->addWidget(m_pSource);
    pSplitter->addWidget(pScroll);
    pSplitter->setChildrenCollapsible(false);
    pSplitter->setSizes({420, 480});
    setCentralWidget(pSplitter);

    m_pMessage = new QLabel;
    m_pCaret = new QLabel;
    m_pZoom = new QLabel;
    statusBar()->addWidget(m_pMessage, 1);
    statusBar()->addPermanentWidget(m_pCaret);
    statusBar()->addPermanentWidget(m_pZoom);

    m_pTimer = new QTimer(this);
    m_pTimer->setSingleShot(true);
    m_pTimer->setInterval(kRedrawDelayMs);
    connect(m_pTimer, &QTimer::timeout, this, [this] { ReadText(); });
    connect(m_pSource, &QPlainTextEdit::textChanged, this, [this] { m_pTimer->start(); });
    connect(m_pSource, &QPlainTextEdit::cursorPositionChanged, this, [this] { UpdateCaret(); });
    connect(m_pSource->document(), &QTextDocument::modificationChanged, this,
            [this](bool bModified) { setWindowModified(bModified); });

    MakeMenus();
    resize(900, 500);
    UpdateTitle();
    UpdateCaret();
    SetZoom(kDefaultZoom);
    ReadText();
    m_pSource->setFocus();
}

FormulaWindow::~FormulaWindow() = default;

void FormulaWindow::MakeMenus() {
    QMenu* pFile = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* pNew = pFile->addAction(QStringLiteral("&New"), this, [this] { NewFile(); });
    pNew->setShortcut(QKeySequence::New);
    QAction* pOpen = pFile->addAction(QStringLiteral("&Open..."), this, [this] { OpenAsked(); });
    pOpen->setShortcut(QKeySequence::Open);
    QAction* pSave = pFile->addAction(QStringLiteral("&Save"), this, [this] { Save(); });
    pSave->setShortcut(QKeySequence::Save);
    QAction* pSaveAs = pFile->addAction(QStringLiteral("Save &As..."), this, [this] { SaveAs(); });
    pSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    pFile->addSeparator();
    QAction* pQuit = pFile->addAction(QStringLiteral("&Quit"), this, [this] { close(); });
    pQuit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* pEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_pUndo = pEdit->addAction(QStringLiteral("&Undo"), m_pSource, &QPlainTextEdit::undo);
    m_pUndo->setShortcuts(QKeySequence::Undo);
    m_pRedo = pEdit->addAction(QStringLiteral("&Redo"), m_pSource, &QPlainTextEdit::redo);
    m_pRedo->setShortcuts(QKeySequence::Redo);
    pEdit->addSeparator();
    m_pCut = pEdit->addAction(QStringLiteral("Cu&t"), m_pSource, &QPlainTextEdit::cut);
    m_pCut->setShortcuts(QKeySequence::Cut);
    m_pCopy = pEdit->addAction(QStringLiteral("&Copy"), m_pSource, &QPlainTextEdit::copy);
    m_pCopy->setShortcuts(QKeySequence::Copy);
    QAction* pPaste = pEdit->addAction(QStringLiteral("&Paste"), m_pSource, &QPlainTextEdit::paste);
    pPaste->setShortcuts(QKeySequence::Paste);
    pEdit->addSeparator();
    QAction* pAll =
        pEdit->addAction(QStringLiteral("Select &All"), m_pSource, &QPlainTextEdit::selectAll);
    pAll->setShortcuts(QKeySequence::SelectAll);
    m_pUndo->setEnabled(false);
    m_pRedo->setEnabled(false);
    m_pCut->setEnabled(false);
    m_pCopy->setEnabled(false);
    connect(m_pSource, &QPlainTextEdit::undoAvailable, m_pUndo, &QAction::setEnabled);
    connect(m_pSource, &QPlainTextEdit::redoAvailable, m_pRedo, &QAction::setEnabled);
    connect(m_pSource, &QPlainTextEdit::copyAvailable, m_pCut, &QAction::setEnabled);
    connect(m_pSource, &QPlainTextEdit::copyAvailable, m_pCopy, &QAction::setEnabled);

    QMenu* pView = menuBar()->addMenu(QStringLiteral("&View"));
    QAction* pIn = pView->addAction(QStringLiteral("Zoom &In"), this,
                                    [this] { SetZoom(m_dZoom * kZoomStep); });
    pIn->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    QAction* pOut = pView->addAction(QStringLiteral("Zoom &Out"), this,
                                     [this] { SetZoom(m_dZoom / kZoomStep); });
    pOut->setShortcuts(QKeySequence::ZoomOut);
    QAction* pPage = pView->addAction(QStringLiteral("&Page Size"), this, [this] { SetZoom(1); });
    pPage->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
}

void FormulaWindow::SetPrompts(Prompts* pPrompts) {
    m_pPrompts = pPrompts ? pPrompts : &DefaultPrompts();
}

bool FormulaWindow::OpenFile(const QString& strPath) {
    const QString strShown = QFileInfo(strPath).fileName();
    const ReadResult result = ReadFormulaFile(strPath);
    switch (result.status) {
        case ReadStatus::kMissing:
            SetFile(strPath, QString(), FileFormat());
            statusBar()->showMessage(
                QStringLiteral("%1 is a new file: saving makes it").arg(strShown), 8000);
            return true;
        case ReadStatus::kTooLarge:
            m_strSuggested = strPath;
            m_pPrompts->Warn(this, QStringLiteral("%1 is not opened: at %2 bytes it is far too "
                                                  "large for a formula file (pages read at "
                                                  "most 64 KB).")
                                       .arg(strPath)
                                       .arg(result.nBytes));
            return false;
        case ReadStatus::kUnreadable:
            m_strSuggested = strPath;
            m_pPrompts->Warn(
                this, QStringLiteral("%1 cannot be read (it is not a file, or may not be read).")
                          .arg(strPath));
            return false;
        case ReadStatus::kRead:
            break;
    }
    SetFile(strPath, result.strText, result.format);
    if (result.nBytes > kMaxFormulaBytes)
        m_pPrompts->Warn(this, QStringLiteral("%1 is larger than 64 KB: pages show nothing for "
                                              "it until it is made shorter.")
                                   .arg(strPath));
    if (result.format.bGbk)
        statusBar()->showMessage(
            QStringLiteral("%1 was read as GBK (it is not UTF-8); saving writes UTF-8")
                .arg(strShown),
            8000);
    return true;
}

void FormulaWindow::SetFile(const QString& strPath, const QString& strText,
                            const FileFormat& format) {
    m_strPath = strPath.isEmpty() ? QString() : QFileInfo(strPath).absoluteFilePath();
    m_strSuggested.clear();
    m_format = format;
    // The drawing of the file before is not this file's last good formula.
    m_pFormula = std::make_unique<CFormula>();
    Redraw();
    m_pSource->setPlainText(strText);
    m_pSource->document()->setModified(false);
    setWindowModified(false);
    UpdateTitle();
    UpdateNow();
}

bool FormulaWindow::NewFile() {
    if (!MaybeSave()) return false;
    SetFile(QString(), QString(), FileFormat());
    return true;
}

void FormulaWindow::OpenAsked() {
    if (!MaybeSave()) return;
    const QString strDir = m_strPath.isEmpty() ? QString() : QFileInfo(m_strPath).absolutePath();
    const QString strPath = m_pPrompts->AskOpenPath(this, strDir);
    if (!strPath.isEmpty()) OpenFile(strPath);
}

bool FormulaWindow::Save() {
    return m_strPath.isEmpty() ? SaveAs() : SaveTo(m_strPath);
}

bool FormulaWindow::SaveAs() {
    const QString strSuggested = !m_strPath.isEmpty()        ? m_strPath
                                 : !m_strSuggested.isEmpty() ? m_strSuggested
                                                             : QStringLiteral("formula.fml");
    QString strPath = m_pPrompts->AskSavePath(this, strSuggested);
    if (strPath.isEmpty()) return false;
    if (QFileInfo(strPath).suffix().isEmpty()) strPath += QStringLiteral(".fml");
    return SaveTo(strPath);
}

bool FormulaWindow::SaveTo(const QString& strPath) {
    FileFormat format = m_format;
    format.bGbk = false;
    const QByteArray bytes = EncodeFormulaText(m_pSource->toPlainText(), format);
    QSaveFile file(strPath);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_pPrompts->Warn(this,
                         QStringLiteral("%1 cannot be saved: %2").arg(strPath, file.errorString()));
        return false;
    }
    m_strPath = QFileInfo(strPath).absoluteFilePath();
    m_strSuggested.clear();
    m_format = format;
    m_pSource->document()->setModified(false);
    UpdateTitle();
    statusBar()->showMessage(QStringLiteral("Saved %1").arg(m_strPath), 5000);
    if (bytes.size() > kMaxFormulaBytes)
        m_pPrompts->Warn(this, QStringLiteral("%1 is saved, but it is larger than 64 KB: pages "
                                              "show nothing for it until it is made shorter.")
                                   .arg(m_strPath));
    return true;
}

bool FormulaWindow::MaybeSave() {
    if (!m_pSource->document()->isModified()) return true;
    switch (m_pPrompts->AskToSaveChanges(this, DisplayName())) {
        case Prompts::Answer::kSave:
            return Save();
        case Prompts::Answer::kDiscard:
            return true;
        case Prompts::Answer::kCancel:
            break;
    }
    return false;
}

void FormulaWindow::closeEvent(QCloseEvent* pEvent) {
    if (MaybeSave()) {
        m_pTimer->stop();
        pEvent->accept();
    } else {
        pEvent->ignore();
    }
}

void FormulaWindow::UpdateNow() {
    m_pTimer->stop();
    ReadText();
}

void FormulaWindow::ReadText() {
    // The bytes a save would write, so that the window says what a page will make of the
    // file (its size included).
    FileFormat format = m_format;
    format.bGbk = false;
    const QString text = m_pSource->toPlainText();
    const QByteArray bytes = EncodeFormulaText(text, format);
    auto pFormula = std::make_unique<CFormula>();
    if (!pFormula->Parse(std::string_view(bytes.constData(), bytes.size()))) {
        m_bError = true;
        m_pMessage->setText(QStringLiteral("Line %1, column %2: %3")
                                .arg(pFormula->GetErrorLine())
                                .arg(pFormula->GetErrorColumn())
                                .arg(QString::fromStdString(pFormula->GetLastError())));
        MarkError(pFormula->GetErrorLine(), pFormula->GetErrorColumn());
        // The last good drawing stays, greyed: it is not what the text says now.
        m_pDrawing->setEnabled(false);
        return;
    }
    m_bError = false;
    m_pDrawing->setEnabled(true);
    m_pSource->setExtraSelections({});
    m_pFormula = std::move(pFormula);
    const CRect rc = m_pFormula->GetRect();
    if (rc.Width() <= 0)
        m_pMessage->setText(QStringLiteral("Empty formula: it takes no room on the page"));
    else
        m_pMessage->setText(QStringLiteral("%1 × %2 pixels on the page")
                                .arg(rc.Width())
                                .arg(rc.Height() - CFormula::kBottomSlack));
    Redraw();
}

void FormulaWindow::MarkError(int nLine, int nColumn) {
    const QString text = m_pSource->toPlainText();
    const int nPosition = PositionOf(text, std::max(nLine, 1), std::max(nColumn, 1));

    QTextEdit::ExtraSelection line;
    line.format.setBackground(QColor(255, 235, 235));
    line.format.setProperty(QTextFormat::FullWidthSelection, true);
    line.cursor = QTextCursor(m_pSource->document());
    line.cursor.setPosition(nPosition);

    // The character at the error, or the one before it when the error is at the end of a
    // line; the mark's cursor stands at the error.
    QTextEdit::ExtraSelection mark;
    mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    mark.format.setUnderlineColor(Qt::red);
    mark.format.setBackground(QColor(255, 190, 190));
    int nAnchor = nPosition;
    if (nPosition < text.size() && text[nPosition] != u'\n')
        nAnchor = nPosition + CharLength(text, nPosition);
    else if (nPosition > 0 && text[nPosition - 1] != u'\n')
        nAnchor = nPosition - (nPosition > 1 && text[nPosition - 1].isLowSurrogate() ? 2 : 1);
    mark.cursor = QTextCursor(m_pSource->document());
    mark.cursor.setPosition(nAnchor);
    mark.cursor.setPosition(nPosition, QTextCursor::KeepAnchor);
    m_pSource->setExtraSelections({line, mark});
}

void FormulaWindow::SetZoom(double dZoom) {
    m_dZoom = std::clamp(dZoom, kMinZoom, kMaxZoom);
    m_pZoom->setText(QStringLiteral("%1 %").arg(std::lround(m_dZoom * 100)));
    Redraw();
}

void FormulaWindow::Redraw() {
    m_preview = DrawFormula(*m_pFormula, m_dZoom);
    if (m_preview.isNull())
        m_pDrawing->clear();
    else
        m_pDrawing->setPixmap(QPixmap::fromImage(m_preview));
}

QString FormulaWindow::StatusText() const {
    return m_pMessage->text();
}

QString FormulaWindow::DisplayName() const {
    return m_strPath.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(m_strPath).fileName();
}

void FormulaWindow::UpdateTitle() {
    setWindowTitle(QStringLiteral("%1[*] - Tessel formula editor").arg(DisplayName()));
}

void FormulaWindow::UpdateCaret() {
    const auto [nLine, nColumn] =
        LineColumnAt(m_pSource->toPlainText(), m_pSource->textCursor().position());
    m_pCaret->setText(QStringLiteral("Line %1, column %2").arg(nLine).arg(nColumn));
}

}  // namespace tessel::formula_editor
