// The caret: one per process, drawn by the owner window's widget over its surface (so it
// never marks the pixels WM_PAINT drew) and blinking on a timer while shown.

#include <QObject>
#include <QPainter>
#include <QTimerEvent>
#include <QWidget>

#include "platform/application.h"
#include "platform/window_qt.h"

namespace {

constexpr int kBlinkMs = 530;

struct Caret {
    HWND hOwner = nullptr;
    QImage bitmap;  // null for a solid caret
    QSize size;
    QPoint pos;
    bool bShown = false;
    bool bBlinkOn = false;  // the phase of the blink: drawn or not
};
Caret g_caret;

// Turns the blink phase over and has the owner show it.
class Blinker : public QObject {
  public:
    void Restart() {
        if (m_nTimer != 0) killTimer(m_nTimer);
        m_nTimer = startTimer(kBlinkMs);
    }
    void Stop() {
        if (m_nTimer != 0) killTimer(m_nTimer);
        m_nTimer = 0;
    }

  protected:
    void timerEvent(QTimerEvent*) override;

  private:
    int m_nTimer = 0;
};

Blinker& TheBlinker() {
    tessel::platform::EnsureApplication();
    static auto* pBlinker = new Blinker;  // lives as long as the process
    return *pBlinker;
}

void RepaintCaret() {
    if (QWidget* pWidget = tessel::platform::WidgetOf(g_caret.hOwner))
        pWidget->update(tessel::platform::CaretRect());
}

void Blinker::timerEvent(QTimerEvent*) {
    if (g_caret.hOwner == nullptr || !g_caret.bShown) {
        Stop();
        return;
    }
    g_caret.bBlinkOn = !g_caret.bBlinkOn;
    RepaintCaret();
}

// Shown in the "on" phase from now: after showing or moving, the caret is seen at once.
void RestartBlink() {
    g_caret.bBlinkOn = true;
    if (g_caret.bShown)
        TheBlinker().Restart();
    else
        TheBlinker().Stop();
}

void CreateFor(HWND hWnd, QSize size, QImage bitmap) {
    CWnd::DestroyCaret();
    if (!WindowData::IsAlive(hWnd)) return;
    g_caret.hOwner = hWnd;
    g_caret.size = size;
    g_caret.bitmap = std::move(bitmap);
    g_caret.bShown = false;
    g_caret.bBlinkOn = false;
}

}  // namespace

namespace tessel::platform {

QRect CaretRect() {
    return QRect(g_caret.pos, g_caret.size);
}

void DrawCaret(HWND hWnd, QPainter& painter) {
    if (g_caret.hOwner != hWnd || !g_caret.bShown || !g_caret.bBlinkOn) return;
    painter.save();
    if (g_caret.bitmap.isNull()) {
        // Difference with white inverts what is under the caret.
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.fillRect(CaretRect(), Qt::white);
    } else {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.drawImage(g_caret.pos, g_caret.bitmap);
    }
    painter.restore();
}

void ForgetCaretOwner(HWND hWnd) {
    if (g_caret.hOwner != hWnd) return;
    g_caret = Caret{{}, {}, {}, g_caret.pos, false, false};
    TheBlinker().Stop();
}

CaretInfo GetCaretInfo() {
    CaretInfo info;
    info.hOwner = g_caret.hOwner;
    info.pos = CPoint(g_caret.pos.x(), g_caret.pos.y());
    info.size = CSize(g_caret.size.width(), g_caret.size.height());
    info.bShown = g_caret.hOwner != nullptr && g_caret.bShown;
    return info;
}

}  // namespace tessel::platform

// A width or height of 0 is one pixel, the width of a thin border.
void CWnd::CreateSolidCaret(int nWidth, int nHeight) {
    CreateFor(m_hWnd, QSize(nWidth > 0 ? nWidth : 1, nHeight > 0 ? nHeight : 1), QImage());
}

void CWnd::CreateCaret(CBitmap* pBitmap) {
    if (pBitmap == nullptr || !pBitmap->IsValid()) return;
    // The caret's size is the bitmap's logical size; the image keeps its pixel ratio, so a
    // bitmap made for a high-density window is drawn pixel for pixel.
    const tessel::platform::Surface& surface = *pBitmap->Data()->pSurface;
    QImage image =
        pBitmap->Data()->pSurface->Pixels().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    CreateFor(m_hWnd, surface.LogicalSize(), std::move(image));
}

void CWnd::SetCaretPos(CPoint point) {
    RepaintCaret();
    g_caret.pos = QPoint(point.x, point.y);
    if (g_caret.hOwner != nullptr) RestartBlink();
    RepaintCaret();
}

CPoint CWnd::GetCaretPos() {
    return CPoint(g_caret.pos.x(), g_caret.pos.y());
}

void CWnd::ShowCaret() {
    if (g_caret.hOwner == nullptr || g_caret.hOwner != m_hWnd || g_caret.bShown) return;
    g_caret.bShown = true;
    RestartBlink();
    RepaintCaret();
}

void CWnd::HideCaret() {
    if (g_caret.hOwner == nullptr || g_caret.hOwner != m_hWnd || !g_caret.bShown) return;
    g_caret.bShown = false;
    RestartBlink();
    RepaintCaret();
}

void CWnd::DestroyCaret() {
    if (g_caret.hOwner == nullptr) return;
    RepaintCaret();
    tessel::platform::ForgetCaretOwner(g_caret.hOwner);
}
