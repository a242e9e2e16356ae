// Typing, deleting and clicking in the middle of the full benchmark page, end to end, in the
// editor beside a QTextEdit holding the same page.
//
// The page is the one tessel_editor_bench lays out and paints (editor_page.h: 128 rows with
// every kind of object), opened in an 800 x 600 editor on a popup host window on the offscreen
// platform. The middle row: the row nearest row 64 that lies inside one Text element and holds
// only ASCII text (a wrapped row of an English paragraph, so a full one). The view is scrolled
// so that this row is in the middle of the window (the editor's view origin set as a host
// scrolling it would), and a click at its middle places the caret; the benchmarks' clicks go
// to the caret's own point, so the caret stays where it is.
//
// Ours, every event made as the scripted-session player makes it (platform/user_input.h: a Qt
// key or mouse event sent to the window's widget, which turns it into WM_KEYDOWN and WM_CHAR,
// WM_KEYUP or the mouse messages), and after each event the event loop run as the player
// runs it between a user's events (platform::ProcessEvents: posted messages, then the Qt paint
// of the editor's widget, which sends the invalidated editor its WM_PAINT and shows the pixels
// it drew with the caret, and the paints of the other invalidated windows, such as columns):
// - BM_Keystroke: the press and the release of the E key, which types "e" at the caret: the
//   element list changes, the rows are laid out again, the editor is invalidated and painted
//   whole (layout, drawing off screen, one copy to the window) and the caret is placed.
// - BM_Backspace: the press and the release of Backspace, which deletes the character before
//   the caret, with the same refresh.
// - BM_Click: a left press and release at the caret's point in the middle row: hit testing
//   along the row, the caret placed, and the paint the press asks for (the click before left
//   a shown selection, which the press clears by invalidating the editor).
// Each keystroke is checked to reach the editor's paint (the paint events of its widget are
// counted), and each click likewise.
//
// The page stays as it is: after each timed E, a Backspace deletes the letter again, and after
// each timed Backspace the character it deleted is typed again (the same key path, the same
// refresh, the same character format, since the caret stays in the same Text element), both
// with the timing paused. After the runs of each case the page's markup is checked to be what
// it was.
//
// The peer: a QTextEdit (Qt Widgets) on the QTextDocument tessel_editor_bench builds from
// the editor's elements, no frame and no scroll bars, so that its viewport is 800 x 600 and
// the document is laid out 800 wide as ours is; shown as a top-level window on the same
// platform, with its undo stack on: the editor records every change for undo (a run of
// typed characters as one step, a run of Backspaces as another), so the peer records its
// changes as well. Its cursor is put in the same place of the same text (the position the
// builder gives the editor's caret), and it is scrolled so that the cursor is in the middle
// of the viewport. It gets the same QKeyEvent press and release (key, text), sent to it
// with QCoreApplication::sendEvent, and the same QMouseEvent press and release, sent to its
// viewport at the cursor's own point. So that both do the same amount of painting, the
// whole viewport is then repainted at once after each press (QWidget::repaint, through the
// same repaint machinery and flush that show our widget's pixels), as ours paints its whole
// window after each change; after every event, the same event loop run as ours. Each press
// is checked to paint the viewport. The peer's page is restored the same way, with the
// timing paused, and checked after the runs.
//
// --peer_own_paint leaves the peer's painting to itself: after an event it paints, in the
// same event loop run, only the parts it has updated (the changed lines and the cursor), not
// the whole viewport. That is what a user of a QTextEdit gets, and less painting than ours
// does.
//
// After the runs, the least CPU time of each case over the repetitions and the ratio ours /
// QTextEdit of each pair are printed, with the goals: below 1, and a keystroke under 1 ms.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPoint>
#include <QRect>
#include <QScrollBar>
#include <QString>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QWidget>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "editor/tessel_edit.h"
#include "editor_page.h"
#include "platform/user_input.h"
#include "platform/wnd.h"

namespace {

using namespace tessel::bench;
namespace platform = tessel::platform;

constexpr char32_t kTyped = U'e';

// The editor and the peer (editor_page.h), and what is checked of their pages.
struct Bench : CaretBench {
    std::string strOurs;  // our page's markup, to check it is restored

    QString strPeer;  // the peer's text, to check it is restored
};

// --- Ours -----------------------------------------------------------------------------------

CWnd* KeyTarget(CTesselEdit& edit) {
    return platform::KeyboardTarget(&edit);
}

// The paints our editor's window gets: each timed event must reach OnPaint.
PaintCounter g_ourPaints;

// A key that types ch, pressed and released; whether the press was painted.
bool OursType(CTesselEdit& edit, char32_t ch) {
    platform::PressCharacterKey(KeyTarget(edit), ch, platform::kNoModifiers);
    g_ourPaints.Mark();
    Settle();
    const bool bPainted = g_ourPaints.Painted();
    platform::ReleaseCharacterKey(KeyTarget(edit), ch, platform::kNoModifiers);
    Settle();
    return bPainted;
}

bool OursBackspace(CTesselEdit& edit) {
    platform::PressKey(KeyTarget(edit), platform::Key::kBackspace, platform::kNoModifiers);
    g_ourPaints.Mark();
    Settle();
    const bool bPainted = g_ourPaints.Painted();
    platform::ReleaseKey(KeyTarget(edit), platform::Key::kBackspace, platform::kNoModifiers);
    Settle();
    return bPainted;
}

bool OursClick(CTesselEdit& edit, CPoint point) {
    g_ourPaints.Mark();
    ClickAt(edit, point);
    return g_ourPaints.Painted();
}

// Ours gets the user's attention back// Ours gets the user's attention back (the peer's window may
// have had it): a click at the caret's point activates the host window and gives the editor the
// keyboard focus.
void FocusOurs(Bench& bench) {
    CTesselEdit& edit = Ours(bench);
    OursClick(edit, bench.ptClick);
    if (edit.m_CurPos != bench.caret) Fail("the caret is not where it was placed");
    if (KeyTarget(edit) != &edit) Fail("the editor does not have the keyboard focus");
}

void CheckOursRestored(Bench& bench) {
    if (Ours(bench).GetEditText() != bench.strOurs) Fail("our page was not restored");
    if (Ours(bench).m_CurPos != bench.caret) Fail("our caret was not restored");
}

void ReportOurs(benchmark::State& state, Bench& bench) {
    state.counters["row"] = bench.nRow;
    state.counters["caret_x"] = bench.ptClick.x;
    state.counters["caret_y"] = bench.ptClick.y;
}

// --- The peer -------------------------------------------------------------------------------

void SendKey(QTextEdit& peer, QEvent::Type type, int nKey, const QString& text) {
    QKeyEvent event(type, nKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&peer, &event);
}

// Set by --peer_own_paint: the peer paints only what it updates itself.
bool g_bPeerOwnPaint = false;

// The whole viewport painted at once, as ours paints its whole window.
void RepaintPeer(QTextEdit& peer) {
    if (!g_bPeerOwnPaint) peer.viewport()->repaint();
}

// A key pressed and released; whether the press was painted.
bool PeerKey(Bench& bench, int nKey, const QString& text) {
    QTextEdit& peer = *bench.pPeer;
    const std::int64_t nBefore = bench.peerPaints.nPaints;
    SendKey(peer, QEvent::KeyPress, nKey, text);
    RepaintPeer(peer);
    Settle();
    const bool bPainted = bench.peerPaints.nPaints > nBefore;
    SendKey(peer, QEvent::KeyRelease, nKey, text);
    Settle();
    return bPainted;
}

// The key that types a printable ASCII character: letters by their capital's code.
int QtKeyOf(char ch) {
    if (ch >= 'a' && ch <= 'z') return Qt::Key_A + (ch - 'a');
    return static_cast<unsigned char>(ch);
}

bool PeerType(Bench& bench, char ch) {
    return PeerKey(bench, QtKeyOf(ch), QString(QChar(ch)));
}

bool PeerBackspace(Bench& bench) {
    return PeerKey(bench, Qt::Key_Backspace, QStringLiteral("\b"));
}

void SendMouse(QTextEdit& peer, QEvent::Type type, QPoint point, Qt::MouseButtons buttons) {
    QWidget* pViewport = peer.viewport();
    const QPoint global = pViewport->mapToGlobal(point);
    QMouseEvent event(type, QPointF(point), QPointF(pViewport->window()->mapFromGlobal(global)),
                      QPointF(global), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(pViewport, &event);
}

bool PeerClick(Bench& bench, QPoint point) {
    QTextEdit& peer = *bench.pPeer;
    const std::int64_t nBefore = bench.peerPaints.nPaints;
    SendMouse(peer, QEvent::MouseButtonPress, point, Qt::LeftButton);
    RepaintPeer(peer);
    Settle();
    const bool bPainted = bench.peerPaints.nPaints > nBefore;
    SendMouse(peer, QEvent::MouseButtonRelease, point, Qt::NoButton);
    Settle();
    return bPainted;
}

// The peer opened (editor_page.h), and its page noted to check it is restored.
void SetUpPeer(Bench& bench) {
    OpenPeer(bench);
    bench.strPeer = bench.pDoc->toRawText();
}

// The peer gets the user's attention, with its cursor where it was put.
void FocusPeer(Bench& bench) {
    QTextEdit& peer = *bench.pPeer;
    peer.activateWindow();
    peer.setFocus(Qt::OtherFocusReason);
    QTextCursor cursor(bench.pDoc);
    cursor.setPosition(bench.nPeerPos);
    peer.setTextCursor(cursor);
    Settle();
    if (!peer.hasFocus()) Fail("the peer does not have the keyboard focus");
    if (peer.verticalScrollBar()->value() != bench.nPeerScroll) Fail("the peer scrolled");
    PeerClick(bench, bench.ptPeerClick);
    if (peer.textCursor().position() != bench.nPeerPos) Fail("a click at the cursor moved it");
}

void CheckPeerRestored(Bench& bench) {
    if (bench.pDoc->toRawText() != bench.strPeer) Fail("the peer's page was not restored");
    if (bench.pPeer->textCursor().position() != bench.nPeerPos)
        Fail("the peer's cursor was not restored");
}

void ReportPeer(benchmark::State& state, Bench& bench) {
    state.counters["position"] = bench.nPeerPos;
    state.counters["cursor_x"] = bench.ptPeerClick.x();
    state.counters["cursor_y"] = bench.ptPeerClick.y();
}

Bench& TheBench() {
    static Bench* pBench = [] {
        auto* p = new Bench;
        OpenOurs(*p, g_ourPaints);
        // A click at the caret's own point leaves it where it is.
        OursClick(Ours(*p), p->ptClick);
        if (Ours(*p).m_CurPos != p->caret) Fail("a click at the caret moved it");
        p->strOurs = Ours(*p).GetEditText();
        SetUpPeer(*p);
        // Each pair once, to check that it leaves the page as it was.
        FocusOurs(*p);
        if (!OursType(Ours(*p), kTyped) || !OursBackspace(Ours(*p)))
            Fail("a keystroke of ours was not painted");
        CheckOursRestored(*p);
        FocusPeer(*p);
        if (!PeerType(*p, static_cast<char>(kTyped)) || !PeerBackspace(*p))
            Fail("a keystroke of the peer's was not painted");
        CheckPeerRestored(*p);
        return p;
    }();
    return *pBench;
}

// --- The runs -------------------------------------------------------------------------------

// Runs the timed action in every iteration and, outside the timing, the action that undoes
// it, so that the page stays as it was; counts the actions that were not painted.
template <class Timed, class Undo>
std::int64_t RunPaired(benchmark::State& state, Timed timed, Undo undo) {
    std::int64_t nMissed = 0;
    for (auto _ : state) {
        nMissed += !timed();
        state.PauseTiming();
        nMissed += !undo();
        state.ResumeTiming();
    }
    return nMissed;
}

void BM_Keystroke(benchmark::State& state) {
    Bench& bench = TheBench();
    CTesselEdit& edit = Ours(bench);
    FocusOurs(bench);
    const std::int64_t nMissed = RunPaired(
        state, [&] { return OursType(edit, kTyped); }, [&] { return OursBackspace(edit); });
    CheckOursRestored(bench);
    if (nMissed != 0) state.SkipWithError("a keystroke did not reach the editor's OnPaint");
    ReportOurs(state, bench);
}

void BM_QTextEdit_Keystroke(benchmark::State& state) {
    Bench& bench = TheBench();
    FocusPeer(bench);
    const std::int64_t nMissed = RunPaired(
        state, [&] { return PeerType(bench, static_cast<char>(kTyped)); },
        [&] { return PeerBackspace(bench); });
    CheckPeerRestored(bench);
    if (nMissed != 0) state.SkipWithError("a keystroke did not paint the viewport");
    ReportPeer(state, bench);
}

void BM_Backspace(benchmark::State& state) {
    Bench& bench = TheBench();
    CTesselEdit& edit = Ours(bench);
    FocusOurs(bench);
    const std::int64_t nMissed = RunPaired(
        state, [&] { return OursBackspace(edit); },
        [&] { return OursType(edit, static_cast<char32_t>(bench.chBefore)); });
    CheckOursRestored(bench);
    if (nMissed != 0) state.SkipWithError("a keystroke did not reach the editor's OnPaint");
    ReportOurs(state, bench);
}

void BM_QTextEdit_Backspace(benchmark::State& state) {
    Bench& bench = TheBench();
    FocusPeer(bench);
    const std::int64_t nMissed = RunPaired(
        state, [&] { return PeerBackspace(bench); },
        [&] { return PeerType(bench, bench.chBefore); });
    CheckPeerRestored(bench);
    if (nMissed != 0) state.SkipWithError("a keystroke did not paint the viewport");
    ReportPeer(state, bench);
}

void BM_Click(benchmark::State& state) {
    Bench& bench = TheBench();
    CTesselEdit& edit = Ours(bench);
    FocusOurs(bench);
    std::int64_t nMissed = 0;
    for (auto _ : state)
        nMissed += !OursClick(edit, bench.ptClick);
    CheckOursRestored(bench);
    if (nMissed != 0) state.SkipWithError("a click did not reach the editor's OnPaint");
    ReportOurs(state, bench);
}

void BM_QTextEdit_Click(benchmark::State& state) {
    Bench& bench = TheBench();
    FocusPeer(bench);
    std::int64_t nMissed = 0;
    for (auto _ : state)
        nMissed += !PeerClick(bench, bench.ptPeerClick);
    CheckPeerRestored(bench);
    if (nMissed != 0) state.SkipWithError("a click did not paint the viewport");
    ReportPeer(state, bench);
}

// The pairs of cases, each with the name its ratio is printed under.
constexpr Pair kPairs[] = {
    {"Keystroke", "BM_Keystroke", &BM_Keystroke, "BM_QTextEdit_Keystroke", &BM_QTextEdit_Keystroke},
    {"Backspace", "BM_Backspace", &BM_Backspace, "BM_QTextEdit_Backspace", &BM_QTextEdit_Backspace},
    {"Click", "BM_Click", &BM_Click, "BM_QTextEdit_Click", &BM_QTextEdit_Click},
};

// The goal of a keystroke of ours, after the ratios.
void PrintKeystrokeGoal(const LeastTimeReporter& reporter) {
    const double dKeystroke = reporter.Least("BM_Keystroke");
    if (dKeystroke >= 0)
        std::printf("Keystroke: %.2f ms (goal: under 1 ms)\n", dKeystroke / 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
    const Switch switches[] = {{"--peer_own_paint", &g_bPeerOwnPaint}};
    return RunPairs(argc, argv, switches, kPairs, &PrintKeystrokeGoal);
}
