// Selecting the whole page, copying it, pasting it and undoing the paste, end to end, in the
// editor beside a QTextEdit holding the same page.
//
// The page is the one tessel_editor_bench lays out and paints and tessel_typing_bench types
// in (editor_page.h: 128 rows with every kind of object), opened in an 800 x 600 editor on a
// popup host window on the offscreen platform. The caret is placed as tessel_typing_bench
// places it: the view scrolled so that the row nearest row 64 that lies inside one Text
// element and holds only ASCII text is in the middle of the window, and a click in the middle
// of that row. Before every timed action the caret is put back there (the view scrolled back
// and a click at the caret's own point), with the timing paused.
//
// Ours, every command sent to the editor's window as a host's menu or the tool bar sends it
// (WM_COMMAND with the command's id), and after the commands the event loop run as the
// scripted-session player runs it between a user's events (platform::ProcessEvents: posted
// messages, then the Qt paint of the editor's widget and of the other invalidated windows):
// - BM_SelectAllCopy: Select All, which selects the whole document, scrolls to its end and
//   draws it selected, then Copy, which copies the elements into the clip list and puts it on
//   the Qt clipboard as the private format, plain text and HTML, then clears the selection
//   (the whole editor is invalidated and painted).
// - BM_Paste: Paste at the caret of the whole page copied before the runs: the clip list's
//   elements are inserted (frames folded into frame elements with column editors of their
//   own, as many as an editor holds), the page is laid out again, recorded for undo and
//   painted. Undo takes the page back with the timing paused.
// - BM_UndoPaste: Undo of such a paste (made with the timing paused): the page before the
//   paste is put back (a page with frames is rebuilt from the history's copy, column editors
//   included), laid out and painted.
// Each timed action is checked to reach the editor's paint, and each paste to insert (the
// page has more elements after it than before).
//
// The peer: a QTextEdit on the QTextDocument tessel_editor_bench builds from the editor's
// elements, set up as in tessel_typing_bench (no frame and no scroll bars, an 800 x 600
// viewport, its cursor in the same place of the same text, in the middle of the viewport),
// with its undo stack on. It gets QTextEdit::selectAll() and copy() (its own clipboard data:
// the selection as a document fragment, which gives plain text, HTML and OpenDocument text
// when asked for them), paste() (which takes the HTML on the clipboard) and undo(). As in
// tessel_typing_bench, its whole viewport is then repainted at once, as ours paints its whole
// window after each change, and the same event loop run follows. The peer's page is restored
// and its paste checked the same way, by its character count. A QTextDocument never drops a
// format it was given: each paste of the page adds some 40 (those of its tables and their
// cells are new every time) and the process grows by some 130 KB, so the peer's pastes and
// undos get slowly dearer over the runs (about a tenth over a thousand pastes); the least
// time comes from the earliest runs, the least affected.
//
// --peer_own_paint leaves the peer's painting to itself, as in tessel_typing_bench.
//
// --peer_clip_data makes the peer's copy ask the clipboard for the text and the HTML it
// offers, in the timing: QTextEdit makes them only when someone asks (a paste, here the first
// one of BM_QTextEdit_Paste), while our copy writes its three formats at once.
//
// After the runs of each case the page's markup is checked to be what it was (the peer's
// plain text and the length of its HTML). Then the least CPU time of each case over the
// repetitions and the ratio ours / QTextEdit of each pair are printed, with the goal: below 1.

#include <benchmark/benchmark.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QScrollBar>
#include <QString>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QWidget>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "editor/clip_data.h"
#include "editor/tessel_edit.h"
#include "editor_page.h"
#include "platform/user_input.h"
#include "platform/wnd.h"
#include "widgets/edit_commands.h"

namespace {

using namespace tessel::bench;
namespace platform = tessel::platform;
namespace commands = tessel::commands;

// The editor and the peer (editor_page.h), and what is checked of their pages.
struct Bench : CaretBench {
    std::string strOurs;  // our page's markup, to check it is restored
    int nOurElements = 0;
    int nOurPasted = 0;  // the elements after a paste

    QString strPeer;  // the peer's plain text, to check it is restored
    qsizetype nPeerHtml = 0;
    int nPeerChars = 0;
    int nPeerPasted = 0;  // the characters after a paste
};

// --- Ours -----------------------------------------------------------------------------------

// The paints our editor's window gets: each timed action must reach OnPaint.
PaintCounter g_ourPaints;

// The commands sent one after the other, then the event loop; whether the editor painted.
bool OursCommands(CTesselEdit& edit, std::initializer_list<UINT> ids) {
    g_ourPaints.Mark();
    for (const UINT nId : ids)
        edit.SendMessage(WM_COMMAND, nId);
    Settle();
    return g_ourPaints.Painted();
}

bool OursClick(CTesselEdit& edit, CPoint point) {
    g_ourPaints.Mark();
    ClickAt(edit, point);
    return g_ourPaints.Painted();
}

int OurElements(CTesselEdit& edit) {
    return PageElements(edit);
}

// The view scrolled back to the middle row and a click at the caret's point: the caret where
// it was placed, nothing selected, and the editor with the keyboard focus.
void RestoreOurCaret(Bench& bench) {
    CTesselEdit& edit = Ours(bench);
    if (edit.m_nViewOrgY != bench.nViewOrgY) {
        edit.m_nViewOrgY = bench.nViewOrgY;
        edit.Invalidate(TRUE);
        Settle();
    }
    OursClick(edit, bench.ptClick);
    if (edit.m_CurPos != bench.caret || edit.m_SelStart != edit.m_SelEnd)
        Fail("the caret is not where it was placed");
    if (platform::KeyboardTarget(&edit) != &edit)
        Fail("the editor does not have the keyboard focus");
}

// The whole page on the clipboard, copied as a user copies it.
void OursCopyPage(Bench& bench) {
    RestoreOurCaret(bench);
    if (!OursCommands(Ours(bench), {commands::kSelectAll, commands::kCopy}))
        Fail("our copy was not painted");
    const std::optional<int> nCopied = tessel::editor::PrivateClipElementCount();
    if (!nCopied || *nCopied <= 0) Fail("our copy put no elements on the clipboard");
    RestoreOurCaret(bench);
}

// A paste at the caret; whether it was painted and inserted elements.
bool OursPaste(Bench& bench) {
    CTesselEdit& edit = Ours(bench);
    const bool bPainted = OursCommands(edit, {commands::kPaste});
    return bPainted && OurElements(edit) > bench.nOurElements;
}

bool OursUndo(Bench& bench) {
    CTesselEdit& edit = Ours(bench);
    const bool bPainted = OursCommands(edit, {commands::kUndo});
    return bPainted && OurElements(edit) == bench.nOurElements;
}

void CheckOursRestored(Bench& bench) {
    if (Ours(bench).GetEditText() != bench.strOurs) Fail("our page was not restored");
}

void ReportOurs(benchmark::State& state, Bench& bench) {
    state.counters["row"] = bench.nRow;
    state.counters["elements"] = bench.nOurElements;
    state.counters["pasted"] = bench.nOurPasted;
}

// --- The peer -------------------------------------------------------------------------------

// Set by --peer_own_paint: the peer paints only what it updates itself.
bool g_bPeerOwnPaint = false;
// Set by --peer_clip_data: the peer's copy has its clipboard data made at once.
bool g_bPeerClipData = false;

// The whole viewport painted at once, as ours paints its whole window, then the event loop;
// whether the viewport painted.
bool PeerPainted(Bench& bench, std::int64_t nBefore) {
    if (!g_bPeerOwnPaint) bench.pPeer->viewport()->repaint();
    Settle();
    return bench.peerPaints.nPaints > nBefore;
}

bool PeerSelectAllCopy(Bench& bench) {
    QTextEdit& peer = *bench.pPeer;
    const std::int64_t nBefore = bench.peerPaints.nPaints;
    peer.selectAll();
    peer.copy();
    if (g_bPeerClipData) {
        const QMimeData* pData = QGuiApplication::clipboard()->mimeData();
        if (!pData || pData->text().isEmpty() || pData->html().isEmpty())
            Fail("the peer's copy put no text or HTML on the clipboard");
    }
    return PeerPainted(bench, nBefore);
}

bool PeerPaste(Bench& bench) {
    const std::int64_t nBefore = bench.peerPaints.nPaints;
    bench.pPeer->paste();
    return PeerPainted(bench, nBefore) && bench.pDoc->characterCount() > bench.nPeerChars;
}

bool PeerUndo(Bench& bench) {
    const std::int64_t nBefore = bench.peerPaints.nPaints;
    bench.pPeer->undo();
    return PeerPainted(bench, nBefore) && bench.pDoc->characterCount() == bench.nPeerChars;
}

// The peer opened (editor_page.h), and its page noted to check it is restored.
void SetUpPeer(Bench& bench) {
    OpenPeer(bench);
    bench.strPeer = bench.pDoc->toPlainText();
    bench.nPeerHtml = bench.pDoc->toHtml().size();
    bench.nPeerChars = bench.pDoc->characterCount();
}

// The peer gets the user's attention, its cursor where it was put and the view scrolled
// back, nothing selected.
void RestorePeerCursor(Bench& bench) {
    QTextEdit& peer = *bench.pPeer;
    if (!peer.isActiveWindow() || !peer.hasFocus()) {
        peer.activateWindow();
        peer.setFocus(Qt::OtherFocusReason);
    }
    QTextCursor cursor(bench.pDoc);
    cursor.setPosition(bench.nPeerPos);
    peer.setTextCursor(cursor);
    peer.verticalScrollBar()->setValue(bench.nPeerScroll);
    Settle();
    if (!peer.hasFocus()) Fail("the peer does not have the keyboard focus");
    if (peer.verticalScrollBar()->value() != bench.nPeerScroll) Fail("the peer scrolled");
}

void PeerCopyPage(Bench& bench) {
    RestorePeerCursor(bench);
    if (!PeerSelectAllCopy(bench)) Fail("the peer's copy was not painted");
    const QMimeData* pData = QGuiApplication::clipboard()->mimeData();
    if (!pData || !pData->hasHtml()) Fail("the peer's copy put no HTML on the clipboard");
    RestorePeerCursor(bench);
}

void CheckPeerRestored(Bench& bench) {
    if (bench.pDoc->toPlainText() != bench.strPeer ||
        bench.pDoc->toHtml().size() != bench.nPeerHtml)
        Fail("the peer's page was not restored");
}

void ReportPeer(benchmark::State& state, Bench& bench) {
    state.counters["position"] = bench.nPeerPos;
    state.counters["characters"] = bench.nPeerChars;
    state.counters["pasted"] = bench.nPeerPasted;
}

Bench& TheBench() {
    static Bench* pBench = [] {
        auto* p = new Bench;
        OpenOurs(*p, g_ourPaints);
        p->strOurs = Ours(*p).GetEditText();
        p->nOurElements = OurElements(Ours(*p));
        SetUpPeer(*p);
        // Each paste once, to check that it inserts and that its undo leaves the page as it
        // was.
        OursCopyPage(*p);
        const std::size_t nMarkup = p->strOurs.size();
        if (!OursPaste(*p)) Fail("our paste inserted nothing or was not painted");
        if (Ours(*p).GetEditText().size() <= nMarkup) Fail("our paste did not lengthen the page");
        p->nOurPasted = OurElements(Ours(*p));
        if (!OursUndo(*p)) Fail("our undo did not take the paste back");
        CheckOursRestored(*p);
        PeerCopyPage(*p);
        if (!PeerPaste(*p)) Fail("the peer's paste inserted nothing or was not painted");
        p->nPeerPasted = p->pDoc->characterCount();
        if (!PeerUndo(*p)) Fail("the peer's undo did not take the paste back");
        CheckPeerRestored(*p);
        return p;
    }();
    return *pBench;
}

// --- The runs -------------------------------------------------------------------------------

// Runs the timed action in every iteration, each after the untimed one that sets it up;
// counts the actions that were not painted or did not do what they do.
template <class Setup, class Timed>
std::int64_t RunPrepared(benchmark::State& state, Setup setup, Timed timed) {
    std::int64_t nMissed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        nMissed += !setup();
        state.ResumeTiming();
        nMissed += !timed();
    }
    return nMissed;
}

void BM_SelectAllCopy(benchmark::State& state) {
    Bench& bench = TheBench();
    CTesselEdit& edit = Ours(bench);
    const std::int64_t nMissed = RunPrepared(
        state,
        [&] {
            RestoreOurCaret(bench);
            return true;
        },
        [&] {
            return OursCommands(edit, {commands::kSelectAll, commands::kCopy});
        });
    RestoreOurCaret(bench);
    CheckOursRestored(bench);
    if (nMissed != 0) state.SkipWithError("a copy did not reach the editor's OnPaint");
    ReportOurs(state, bench);
}

void BM_QTextEdit_SelectAllCopy(benchmark::State& state) {
    Bench& bench = TheBench();
    const std::int64_t nMissed = RunPrepared(
        state,
        [&] {
            RestorePeerCursor(bench);
            return true;
        },
        [&] { return PeerSelectAllCopy(bench); });
    RestorePeerCursor(bench);
    CheckPeerRestored(bench);
    if (nMissed != 0) state.SkipWithError("a copy did not paint the viewport");
    ReportPeer(state, bench);
}

// The paste timed, its undo not: the page stays the same size.
void BM_Paste(benchmark::State& state) {
    Bench& bench = TheBench();
    OursCopyPage(bench);
    bool bFirst = true;
    const std::int64_t nMissed = RunPrepared(
        state,
        [&] {
            const bool bUndone = bFirst || OursUndo(bench);
            bFirst = false;
            RestoreOurCaret(bench);
            return bUndone;
        },
        [&] { return OursPaste(bench); });
    const bool bUndone = OursUndo(bench);
    RestoreOurCaret(bench);
    CheckOursRestored(bench);
    if (nMissed != 0 || !bUndone)
        state.SkipWithError("a paste or its undo did not change the page or was not painted");
    ReportOurs(state, bench);
}

void BM_QTextEdit_Paste(benchmark::State& state) {
    Bench& bench = TheBench();
    PeerCopyPage(bench);
    bool bFirst = true;
    const std::int64_t nMissed = RunPrepared(
        state,
        [&] {
            const bool bUndone = bFirst || PeerUndo(bench);
            bFirst = false;
            RestorePeerCursor(bench);
            return bUndone;
        },
        [&] { return PeerPaste(bench); });
    const bool bUndone = PeerUndo(bench);
    RestorePeerCursor(bench);
    CheckPeerRestored(bench);
    if (nMissed != 0 || !bUndone)
        state.SkipWithError("a paste or its undo did not change the page or was not painted");
    ReportPeer(state, bench);
}

// The undo of a paste timed, the paste not.
void BM_UndoPaste(benchmark::State& state) {
    Bench& bench = TheBench();
    OursCopyPage(bench);
    const std::int64_t nMissed = RunPrepared(
        state,
        [&] {
            RestoreOurCaret(bench);
            return OursPaste(bench);
        },
        [&] { return OursUndo(bench); });
    RestoreOurCaret(bench);
    CheckOursRestored(bench);
    if (nMissed != 0)
        state.SkipWithError("a paste or its undo did not change the page or was not painted");
    ReportOurs(state, bench);
}

void BM_QTextEdit_UndoPaste(benchmark::State& state) {
    Bench& bench = TheBench();
    PeerCopyPage(bench);
    const std::int64_t nMissed = RunPrepared(
        state,
        [&] {
            RestorePeerCursor(bench);
            return PeerPaste(bench);
        },
        [&] { return PeerUndo(bench); });
    RestorePeerCursor(bench);
    CheckPeerRestored(bench);
    if (nMissed != 0)
        state.SkipWithError("a paste or its undo did not change the page or was not painted");
    ReportPeer(state, bench);
}

// The pairs of cases, each with the name its ratio is printed under.
constexpr Pair kPairs[] = {
    {"SelectAllCopy", "BM_SelectAllCopy", &BM_SelectAllCopy, "BM_QTextEdit_SelectAllCopy",
     &BM_QTextEdit_SelectAllCopy},
    {"Paste", "BM_Paste", &BM_Paste, "BM_QTextEdit_Paste", &BM_QTextEdit_Paste},
    {"UndoPaste", "BM_UndoPaste", &BM_UndoPaste, "BM_QTextEdit_UndoPaste", &BM_QTextEdit_UndoPaste},
};

}  // namespace

int main(int argc, char** argv) {
    const Switch switches[] = {{"--peer_own_paint", &g_bPeerOwnPaint},
                               {"--peer_clip_data", &g_bPeerClipData}};
    return RunPairs(argc, argv, switches, kPairs);
}
