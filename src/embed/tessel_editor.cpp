// The editor inside a QWidget: the widget opens a CTesselEdit as its own child window,
// keeps it covering the widget, and turns the editor's listener into Qt signals.
#include "embed/tessel_editor.h"

#include <QMetaObject>
#include <QMoveEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QShowEvent>
#include <algorithm>
#include <string>

#include "editor/tessel_edit.h"
#include "platform/gbk.h"
#include "widgets/tool_window.h"

namespace {

// The editor's GBK form of a host's strings; characters GBK lacks are dropped.
CStringArray ToGbk(const QStringList& list) {
    CStringArray out;
    out.reserve(static_cast<size_t>(list.size()));
    for (const QString& item : list) {
        const QByteArray utf8 = item.toUtf8();
        out.push_back(tessel::platform::Utf8ToGbk(
            std::string_view(utf8.constData(), static_cast<size_t>(utf8.size()))));
    }
    return out;
}

// The editor puts its directory before the page's file names as it stands: it ends with a
// separator.
std::string DirectoryOf(const QString& directory) {
    std::string strDir = directory.toUtf8().toStdString();
    if (!strDir.empty() && strDir.back() != '/' && strDir.back() != '\\') strDir += '/';
    return strDir;
}

}  // namespace

struct TesselEditor::Private {
    CTesselEdit* pEdit = nullptr;  // owned; its window is a child of the widget
    QString strProject;
    CStringArray media, pages, idents;
    QColor hotLink = QColor(0, 0, 255);
    double dZoom = 1.0;
    int nCharSpace = 0;
    int nLineSpace = 2;
    // The top-level window the widget is in, and where the page's top left corner was on
    // the screen at the last look: the editor's tool window floats above the page as a window
    // of its own and moves with the page, whether the host's window moves or the page moves
    // inside it (the host's layout placing it as the window is first shown, say).
    QPointer<QWidget> pWatched;
    QPoint lastOrigin;

    void Watch(TesselEditor* pWidget) {
        QWidget* pTop = pWidget->window();
        if (pTop != pWidget && pTop != pWatched) {
            if (pWatched) pWatched->removeEventFilter(pWidget);
            pWatched = pTop;
            pTop->installEventFilter(pWidget);
        }
        lastOrigin = pWidget->mapToGlobal(QPoint(0, 0));
    }

    // Moves the tool window by as much as the page moved on the screen since the last look.
    void Follow(TesselEditor* pWidget) {
        const QPoint origin = pWidget->mapToGlobal(QPoint(0, 0));
        const QPoint delta = origin - lastOrigin;
        lastOrigin = origin;
        if (!pEdit || delta.isNull()) return;
        CEditToolWnd* pBar = pEdit->ToolBar();
        if (!pBar || !pBar->m_hWnd) return;
        CRect rcBar;
        pBar->GetWindowRect(&rcBar);
        pBar->MoveWindow(rcBar.left + delta.x(), rcBar.top + delta.y(), rcBar.Width(),
                         rcBar.Height(), TRUE);
    }

    // The editor's window first, then the object. The listener goes first so that the
    // messages of the window's end reach no signal.
    void Close() {
        if (!pEdit) return;
        CTesselEdit* p = pEdit;
        pEdit = nullptr;
        p->SetListener({});
        if (p->m_hWnd) p->DestroyWindow();
        delete p;
    }
};

TesselEditor::TesselEditor(QWidget* parent) : QWidget(parent), d(std::make_unique<Private>()) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
}

TesselEditor::~TesselEditor() {
    d->Close();
}

void TesselEditor::setMarkup(const QByteArray& gbkMarkup) {
    d->Close();
    // The markup ends at its first zero byte, as the editor reads it.
    const std::string strMarkup(
        gbkMarkup.constData(),
        static_cast<size_t>(std::find(gbkMarkup.begin(), gbkMarkup.end(), '\0') -
                            gbkMarkup.begin()));
    auto* pEdit = new CTesselEdit;
    pEdit->SetDirPrj(DirectoryOf(d->strProject));
    pEdit->SetStringArray(&d->media, &d->pages, &d->idents);
    const DWORD crHotLink = RGB(d->hotLink.red(), d->hotLink.green(), d->hotLink.blue());
    if (!pEdit->Edit(this, CRect(0, 0, std::max(width(), 1), std::max(height(), 1)), crHotLink,
                     strMarkup.c_str(), d->nCharSpace, d->nLineSpace, d->dZoom)) {
        delete pEdit;
        return;
    }
    d->pEdit = pEdit;
    CTesselEdit::Listener listener;
    listener.onChanged = [this]() { emit changed(); };
    listener.onSelectionChanged = [this]() { emit selectionChanged(); };
    listener.onFormatChanged = [this]() { emit formatChanged(); };
    pEdit->SetListener(std::move(listener));
    // The editor has just put its tool window above the page.
    d->Watch(this);
}

QByteArray TesselEditor::markup() const {
    if (!d->pEdit) return {};
    return QByteArray::fromStdString(d->pEdit->GetEditText());
}

void TesselEditor::setProjectDirectory(const QString& directory) {
    d->strProject = directory;
    if (d->pEdit) d->pEdit->SetDirPrj(DirectoryOf(directory));
}

QString TesselEditor::projectDirectory() const {
    return d->strProject;
}

void TesselEditor::setPageLists(const QStringList& media, const QStringList& pages,
                                const QStringList& identifiers) {
    d->media = ToGbk(media);
    d->pages = ToGbk(pages);
    d->idents = ToGbk(identifiers);
    if (d->pEdit) d->pEdit->SetStringArray(&d->media, &d->pages, &d->idents);
}

void TesselEditor::setHotLinkColor(const QColor& color) {
    if (color.isValid()) d->hotLink = color.toRgb();
}
QColor TesselEditor::hotLinkColor() const {
    return d->hotLink;
}

void TesselEditor::setZoom(double zoom) {
    // A zoom that makes no text size (zero, negative, not a number) is not taken.
    if (zoom > 0.0 && zoom <= 100.0) d->dZoom = zoom;
}
double TesselEditor::zoom() const {
    return d->dZoom;
}

void TesselEditor::setSpacing(int charSpace, int lineSpace) {
    d->nCharSpace = charSpace;
    d->nLineSpace = lineSpace;
}
int TesselEditor::charSpace() const {
    return d->nCharSpace;
}
int TesselEditor::lineSpace() const {
    return d->nLineSpace;
}

bool TesselEditor::canUndo() const {
    return d->pEdit && d->pEdit->CanUndo();
}
bool TesselEditor::canRedo() const {
    return d->pEdit && d->pEdit->CanRedo();
}

void TesselEditor::undo() {
    if (d->pEdit) d->pEdit->Undo();
}

void TesselEditor::redo() {
    if (d->pEdit) d->pEdit->Redo();
}

int TesselEditor::pageHeight() const {
    return d->pEdit ? d->pEdit->GetWinHeight() : 0;
}

CTesselEdit* TesselEditor::editor() const {
    return d->pEdit;
}

QSize TesselEditor::sizeHint() const {
    return QSize(600, 400);
}

void TesselEditor::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (d->pEdit) d->pEdit->Resize(CRect(0, 0, width(), height()));
}

void TesselEditor::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (d->pEdit) {
        if (window() != d->pWatched) {
            d->Watch(this);
        } else {
            d->Follow(this);
        }
    }
    // A widget shown without a page becomes an editor of an empty page, once the host has
    // had the chance to give one right after showing it (one opening, not two).
    if (d->pEdit || event->spontaneous()) return;
    QMetaObject::invokeMethod(
        this,
        [this]() {
            if (!d->pEdit && isVisible()) setMarkup(QByteArray());
        },
        Qt::QueuedConnection);
}

void TesselEditor::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    d->Follow(this);
}

bool TesselEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == d->pWatched && event->type() == QEvent::Move) d->Follow(this);
    return QWidget::eventFilter(watched, event);
}

void TesselEditor::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    // The keyboard belongs to the editor's own window.
    if (d->pEdit && d->pEdit->m_hWnd) d->pEdit->SetFocus();
}
