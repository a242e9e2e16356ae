#pragma once

// What the editor benchmarks share: the full benchmark page, the editor opened on it, the
// QTextDocument peer built from the editor's own elements, the caret placed in the middle of
// the page with a QTextEdit peer beside the editor, the console output that ends with the
// least time of each case, and the main of the benchmarks that compare pairs of cases.
//
// The page: sections of an exam page (headings, Chinese and English paragraphs in Arial, Times
// New Roman, 宋体, 黑体 and 楷体_GB2312 at several sizes, bold, italic, underlined and coloured
// runs, raised and lowered text, two pictures of examples/image/map.bmp, a formula of
// examples/formula/sum.fml, fill-in fields, judgement and option boxes and a two-column frame),
// as many as the editor lays out in fewer than 128 rows, then answer lines of one row each
// until the layout has the 128 rows the editor lays out at most. Every answer line is checked
// to add exactly one row, so the 128th row ends the document: nothing is left over for the
// last row to carry. The page is built as GBK markup and read by the editor as a host hands it
// over; it must stay within the 20481 bytes the reader keeps.
//
// The peer's document, 800 wide with no document margin, built after the layout (so pictures
// and formulas have their loaded sizes):
// - a text run as text in the same installed family the platform resolves its face to, the
//   same pixel size, bold, italic, underline and colour; raised and lowered runs as super- and
//   subscript (Qt makes them smaller itself, as the editor halves their size); every line feed
//   starts a new block;
// - a picture as an image of the same scaled size, the same BMP file added as the document's
//   resource (Qt decodes it once, as the editor keeps its picture loaded);
// - a formula, a fill-in field, a check box and a choice marker as an image of the same size:
//   the formula and the field as a framed white picture, the boxes and the marker as the
//   editor's own bitmaps decoded by Qt;
// - a frame as a one-row table of as many fixed-width columns, with the frame's gap as cell
//   spacing and no border (the editor's column windows have none).

#include <benchmark/benchmark.h>

#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QTextEdit>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "editor/tessel_edit.h"
#include "least_time.h"

class QEvent;
class QTextCursor;
class QTextDocument;

namespace tessel::bench {

inline constexpr int kWidth = 800;
inline constexpr int kHeight = 600;
inline constexpr std::size_t kReaderKeeps = 20481;  // bytes of a page the reader takes

// Says what went wrong on standard error, after the program's name, and ends the program.
[[noreturn]] void Fail(const std::string& strWhat);

// --- The page -------------------------------------------------------------------------------

// An editor open on a host window, as a host opens it: 800 x 600 on a popup host window (the
// offscreen platform, no display needed).
struct OpenEditor {
    CWnd host;
    CTesselEdit edit;

    explicit OpenEditor(const std::string& strMarkup);
    ~OpenEditor();
    OpenEditor(const OpenEditor&) = delete;
    OpenEditor& operator=(const OpenEditor&) = delete;
};

// The rows the editor's layout uses.
int RowsInUse(const CTesselEdit& edit);

// The page's markup (GBK): whole sections below 128 rows, then answer lines up to 128.
std::string BuildPage();

// Fails unless the editor laid the page out in all of its 128 rows.
void CheckFullPage(const CTesselEdit& edit);

// The elements of the editor's document and of its column editors.
int PageElements(CTesselEdit& edit);

// The column editors of a frame element, left to right (missing ones left out).
std::vector<CTesselEdit*> ColumnsOf(CTesselEdit& edit, const CLink& frame);

// --- The peer's document --------------------------------------------------------------------

QString FromGbk(std::string_view gbk);

class PeerBuilder {
  public:
    PeerBuilder(CTesselEdit& edit, QTextDocument& doc);

    void Build();

    int Images() const { return m_nImages; }
    int Tables() const { return m_nTables; }
    // The place in the built document of a position of the editor's own list (not of a
    // column's) inside or at the start of a Text element; -1 for any other position.
    int PeerPosition(const TEXTPOS& p) const;

  private:
    void AddList(QTextCursor& cursor, CTesselEdit& editor, CMyList* pList);
    void AddText(QTextCursor& cursor, CTesselEdit& editor, const CLink& link);
    void AddImage(QTextCursor& cursor, const QString& strName, int w, int h);
    // A picture file of the project, added to the document once under its own name.
    QString PictureResource(const std::string& strFile);
    // A white picture of the size with a black frame.
    QString FramedResource(int w, int h);
    // One of the editor's bitmaps, decoded by Qt.
    void AddBitmap(QTextCursor& cursor, unsigned nId);
    void AddFrame(QTextCursor& cursor, const CLink& frame);

    CTesselEdit& m_edit;
    QTextDocument& m_doc;
    QString m_strSong;
    std::set<QString> m_names;
    std::map<QString, QSize> m_sizes;
    int m_nImages = 0;
    int m_nTables = 0;
    std::vector<int> m_linkStarts;  // where each element of the editor's own list begins
};

// --- The console output ---------------------------------------------------------------------

// The console output, keeping the least CPU time of each benchmark's repetitions (the machine
// may be busy with other work; the fastest run is the least disturbed).
class LeastTimeReporter : public benchmark::ConsoleReporter {
  public:
    LeastTimeReporter();

    void ReportRuns(const std::vector<Run>& runs) override;

    // The least CPU time of a benchmark in microseconds; negative when it did not run.
    double Least(const std::string& strName) const;
    // "Least CPU time per iteration:" and the time of every benchmark that ran.
    void PrintLeast() const;

  private:
    LeastTimes m_times;
};

// The offscreen platform has no window stacking, and says so every time an editor takes the
// focus as it opens; this drops that message and nothing else Qt reports.
void QuietQtMessages();

// --- The caret, and the peer beside the editor ----------------------------------------------

// The event loop between a user's events, for both editors, run as the scripted-session
// player runs it (platform::ProcessEvents: posted messages, then the Qt paint of the
// invalidated windows).
void Settle();

// Counts the paint events a widget gets, as its event filter; Mark() and Painted() tell
// whether one came in between.
class PaintCounter : public QObject {
  public:
    std::int64_t nPaints = 0;

    void Mark() { m_nMarked = nPaints; }
    bool Painted() const { return nPaints > m_nMarked; }

  protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override;

  private:
    std::int64_t m_nMarked = 0;
};

// A left press and a left release at a point of the editor's window, as the player makes them
// (platform/user_input.h), each followed by the event loop.
void ClickAt(CTesselEdit& edit, CPoint point);

// What the benchmarks that act at the caret hold: the editor open on the page with its caret
// placed in the middle row, and the peer beside it with its cursor in the same place.
struct CaretBench {
    std::string strMarkup;
    std::unique_ptr<OpenEditor> pOpen;
    int nRow = -1;      // the middle row
    int nViewOrgY = 0;  // the view origin that shows it in the middle of the window
    TEXTPOS caret;      // where the click put our caret
    CPoint ptClick;     // the caret's point in the window
    char chBefore = 0;  // the character before the caret

    std::unique_ptr<QTextEdit> pPeer;
    QTextDocument* pDoc = nullptr;  // the peer's, owned by it
    int nPeerPos = -1;              // the cursor's place in the peer's document
    QPoint ptPeerClick;             // the cursor's point in the viewport
    int nPeerScroll = 0;            // the scroll that shows the cursor in the middle
    PaintCounter peerPaints;        // the paints of the peer's viewport
};

CTesselEdit& Ours(CaretBench& bench);

// Builds the page, opens the editor on it with ourPaints counting its widget's paints, fails
// unless the page takes all 128 rows, runs the event loop and places the caret
// (PlaceOurCaret).
void OpenOurs(CaretBench& bench, PaintCounter& ourPaints);

// Places our caret in the middle row: the row nearest row 64 that lies inside one Text element
// and holds only printable ASCII text, eight bytes or more (a wrapped row of an English
// paragraph, so a full one). The view is scrolled so that the row is in the middle of the
// window (the editor's view origin set as a host scrolling it would), and a click at the
// row's middle places the caret. Fails unless the click left the view where it was and put a
// shown caret into the row's text, after an ASCII character.
void PlaceOurCaret(CaretBench& bench);

// Opens the peer: a QTextEdit on the peer's document of the page (PeerBuilder) with its undo
// stack on, no frame and no scroll bars, so that its viewport is 800 x 600 and the document is
// laid out 800 wide as ours is, shown as a top-level window, with peerPaints counting its
// viewport's paints. Its cursor is put in the same place of the same text as our caret (fails
// unless it follows the same character), and it is scrolled so that the cursor is in the
// middle of the viewport.
void OpenPeer(CaretBench& bench);

// --- The runs -------------------------------------------------------------------------------

// A pair of cases: ours, the peer's, and the name the ratio is printed under.
struct Pair {
    const char* szName;
    const char* szOurs;
    void (*pOurs)(benchmark::State&);
    const char* szPeer;
    void (*pPeer)(benchmark::State&);
};

// A switch of a benchmark's own on its command line ("--peer_own_paint"), which sets a flag.
struct Switch {
    const char* szName;
    bool* pbSet;
};

// The main of a benchmark of pairs: Qt's messages quieted (QuietQtMessages), the switches
// taken out of the arguments (Google Benchmark reads the rest), both cases of each pair
// registered as the comparison benchmarks run them (repeated.h) and run with the console
// output; then the least CPU time of each case and the ratio ours / QTextEdit of each pair,
// with the goal: below 1. pMore, when given, prints more from the least times. Returns the
// program's exit status.
int RunPairs(int argc, char** argv, std::span<const Switch> switches, std::span<const Pair> pairs,
             void (*pMore)(const LeastTimeReporter& reporter) = nullptr);

}  // namespace tessel::bench
