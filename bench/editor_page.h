#pragma once

// What the editor benchmarks share: the full benchmark page, the editor opened on it, the
// QTextDocument peer built from the editor's own elements, and the console output that ends
// with the least time of each case.
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

#include <QSize>
#include <QString>

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "editor/tessel_edit.h"

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
    std::map<std::string, double> m_times;
};

// The offscreen platform has no window stacking, and says so every time an editor takes the
// focus as it opens; this drops that message and nothing else Qt reports.
void QuietQtMessages();

}  // namespace tessel::bench
