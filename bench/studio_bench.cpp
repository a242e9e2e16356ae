// Opening Tessel Studio on the example exam page, beside a QTextEdit window opening the same
// page as HTML, in one run.
//
// BM_StudioOpen_Tessel goes from nothing to the page on the screen as `tessel-studio PAGE`
// does it: the main window made (StudioWindow: menus, status bar, the settings read, an empty
// editor opened), shown, the page opened through OpenPage (the path File > Open and the
// command line take: the file read, checked for losses, the project folder scanned, the editor
// opened on the page with its pictures and formula loaded and the page laid out, the recent
// files written), then Qt's event loop run until the editor's own window has had its first Qt
// paint event, the one that puts the page into the window's backing store.
//
// BM_StudioOpen_QTextEdit is the peer: a QMainWindow with the studio's menus (the same entries
// and shortcuts, wired to the QTextEdit's own slots where it has them), a status bar with a
// label, and a QTextEdit as its central widget, of the studio's first size; shown, the page's
// HTML file read and decoded (UTF-8) and given to setHtml, then the event loop run until the
// QTextEdit's viewport has had its first paint event.
//
// The HTML is the page as tessel_html_bench's Qt peer has it (html_bench.cpp): a QTextDocument
// built once from the page's elements carrying what our published fragment carries (text runs
// with face, size, italic, bold, underline and colour, a block at every line break, pictures
// and formulas as images of the same size, fill-in fields as underlined blanks, check boxes
// and choice circles, hot links as anchors), written by QTextDocument::toHtml(). One change:
// a picture's image is named by the file it comes from, relative to the page's folder, which
// is the QTextEdit's base URL, so that Qt loads and decodes the same BMP file the studio loads.
// A formula keeps the name of its published picture, which is not there: Qt has no formula
// reader, and draws its own missing-image mark in the formula's place.
//
// Both run on copies in a temporary folder made once: the page, its picture and its formula
// (examples/ copied whole), the HTML beside them, and the studio's settings file, so that
// neither the user's settings (recent files, view) nor the examples folder (recovery files)
// are touched. No message box may come up: the example page reads whole, and a box would mean
// the studio is not doing what is measured. Before the runs each window is opened once and
// checked: the studio's editor holds the page the file has (its markup is the markup writer's
// form of the file's elements, but for the sizes the editor measures itself: a formula's, a
// frame's columns) with its pictures loaded, at the page widget's size, and has painted; the
// QTextEdit holds the same text as the built document and has loaded the picture. The
// studio's check is the first opening in the process, before any window has been made and any
// of the page's fonts loaded; its time is printed at the end too.
//
// The window is destroyed after every opening with the timing paused, and the events its end leaves
// are run then too, so that one opening's end is not billed to the next opening. Times are real
// (wall-clock) times. Opening a window on the offscreen platform is mostly CPU work, but not all of
// it: putting the page on the recent files writes the studio's settings file, which Qt syncs to the
// disk, and the author waits for that as for the rest. CPU time (Google Benchmark measures the
// calling thread's) would leave that out, and any work of Qt's own threads. Both times are printed
// at the end. As the other comparison benchmarks do, each case runs five times and the fastest run
// is the one compared (repeated.h): the machine may be busy with other work. The QTextEdit rows
// carry qtextedit_over_studio, the peer's time over ours, and the ratio and the studio's own time
// are printed again at the end.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QByteArray>
#include <QColor>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFont>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextImageFormat>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "document/picture_size.h"
#include "editor/tessel_edit.h"
#include "embed/tessel_editor.h"
#include "imaging/list_pictures.h"
#include "least_time.h"
#include "markup/html_writer.h"
#include "markup/word_analyzer.h"
#include "platform/application.h"
#include "platform/dialog.h"
#include "platform/file_path.h"
#include "platform/gbk.h"
#include "platform/window_qt.h"
#include "platform/wnd.h"
#include "qt_peer_document.h"
#include "repeated.h"
#include "studio_window.h"

namespace {

using tessel::bench::FromGbk;
using tessel::bench::LeastTimes;
using tessel::studio::StudioWindow;

constexpr const char* kStudio = "BM_StudioOpen_Tessel";
constexpr const char* kPeer = "BM_StudioOpen_QTextEdit";
constexpr const char* kRatioTitle =
    "QTextEdit window's opening time / Tessel Studio's opening time";
constexpr double kGoalMs = 100.0;  // the studio's own opening: well under this

// The studio's first size (studio_window.cpp), which the peer's window takes too.
constexpr int kWindowWidth = 760;
constexpr int kWindowHeight = 600;

// Rounds of the event loop an opening may take to paint before it counts as failed. An
// opening paints in one or two; the limit only keeps a broken one from running forever.
constexpr int kMaxRounds = 10000;

void RemoveCopies();

// Says what went wrong and ends the program, the temporary folder removed.
[[noreturn]] void Fail(const std::string& strWhat) {
    std::fprintf(stderr, "tessel_studio_bench: %s\n", strWhat.c_str());
    RemoveCopies();
    std::exit(1);
}

std::string Slurp(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    if (!in) Fail("cannot read " + strPath);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The file a picture element's Windows-style name finds in the page's folder, relative to it.
QString PictureFile(const std::string& strDir, const std::string& strName) {
    const std::string strFound = tessel::platform::ResolvePath(strDir, strName);
    const std::string strPrefix = strDir + "/";
    if (!strFound.starts_with(strPrefix) || !std::filesystem::is_regular_file(strFound))
        Fail("the picture " + tessel::platform::GbkToUtf8(strName) + " is not in " + strDir);
    return FromGbk(strFound.substr(strPrefix.size()));
}

// Builds the peer's document from the elements (pictures loaded from strDir, named by their
// files there).
void BuildDocument(CMyList& list, const std::string& strDir, QTextDocument& doc) {
    tessel::bench::BuildPeerDocument(list, doc, [&strDir](const CLink& image) {
        return PictureFile(strDir, image.m_Command[0].strText);
    });
}

// --- What the runs share --------------------------------------------------------------------

struct Bench {
    QTemporaryDir dir;
    std::string strDir;           // the copy of examples/
    std::string strPage;          // its exam-page.tsm
    std::string strHtml;          // the page's HTML beside it (UTF-8)
    std::string strWriterMarkup;  // the page's elements as the markup writer writes them
    QString strPlainText;         // the text of the peer's document
    QString strPicture;           // the name of the page's first picture in the HTML
    std::size_t nPageBytes = 0;
    std::size_t nHtmlBytes = 0;
    int nMessageBoxes = 0;  // message boxes asked for since the start
};

std::unique_ptr<Bench> g_pBench;

Bench& TheBench() {
    if (!g_pBench) g_pBench = std::make_unique<Bench>();
    return *g_pBench;
}

void RemoveCopies() {
    g_pBench.reset();
}

// Counts the paint events an object gets, as its event filter.
class PaintCounter : public QObject {
  public:
    int nPaints = 0;

  protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override {
        if (pEvent->type() == QEvent::Paint) ++nPaints;
        return QObject::eventFilter(pObject, pEvent);
    }
};

// Qt's event loop, as the program's exec() runs it, until the counter has seen a paint.
// Returns the rounds it took, or -1 when no paint came.
int RunUntilPainted(const PaintCounter& paints) {
    for (int nRound = 1; nRound <= kMaxRounds; ++nRound) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (paints.nPaints > 0) return nRound;
    }
    return -1;
}

// Everything pending after a window's end: posted events, deferred deletions, paints.
void Drain() {
    tessel::platform::ProcessEvents();
}

// The studio opened on the page and shown, up to the editor's first paint.
struct OpenedStudio {
    std::unique_ptr<PaintCounter> pPaints = std::make_unique<PaintCounter>();
    std::unique_ptr<StudioWindow> pWindow;
    int nRounds = -1;
    bool bOpened = false;
};

// As `tessel-studio PAGE` does it (main.cpp): the window made and shown, then the page opened.
void OpenStudio(OpenedStudio& opened) {
    opened.pWindow = std::make_unique<StudioWindow>();
    opened.pWindow->show();
    opened.bOpened = opened.pWindow->OpenPage(TheBench().strPage);
    CTesselEdit* pEditor = opened.bOpened ? opened.pWindow->Editor() : nullptr;
    QWidget* pWidget = pEditor ? tessel::platform::WidgetOf(pEditor) : nullptr;
    if (!pWidget) {
        opened.bOpened = false;
        return;
    }
    pWidget->installEventFilter(opened.pPaints.get());
    opened.nRounds = RunUntilPainted(*opened.pPaints);
}

// The peer's window: the studio's menus, a status bar and the QTextEdit.
class PeerWindow : public QMainWindow {
  public:
    PeerWindow() {
        m_pEdit = new QTextEdit(this);
        setCentralWidget(m_pEdit);
        resize(kWindowWidth, kWindowHeight);
        m_pStatusLabel = new QLabel(this);
        statusBar()->addPermanentWidget(m_pStatusLabel, 1);
        BuildMenus();
        setWindowTitle("exam-page.html - QTextEdit");
    }

    QTextEdit* Edit() const { return m_pEdit; }

    // Reads the page's HTML and shows it.
    bool Open(const std::string& strPath) {
        QFile file(QString::fromStdString(strPath));
        if (!file.open(QIODevice::ReadOnly)) return false;
        const QString html = QString::fromUtf8(file.readAll());
        m_pEdit->document()->setBaseUrl(
            QUrl::fromLocalFile(QString::fromStdString(TheBench().strDir) + "/"));
        m_pEdit->setHtml(html);
        m_pStatusLabel->setText(tr("%1 characters").arg(m_pEdit->document()->characterCount()));
        return true;
    }

  private:
    void BuildMenus() {
        QMenu* pFile = menuBar()->addMenu(tr("&File"));
        pFile->addAction(tr("&New"), QKeySequence::New, m_pEdit, &QTextEdit::clear);
        pFile->addAction(tr("&Open..."), QKeySequence::Open, this, []() {});
        QMenu* pRecent = pFile->addMenu(tr("Open &Recent"));
        pRecent->setEnabled(false);
        pFile->addAction(tr("&Save"), QKeySequence::Save, this, []() {});
        pFile->addAction(tr("Save &As..."), QKeySequence::SaveAs, this, []() {});
        pFile->addSeparator();
        pFile->addAction(tr("Project &Folder..."), this, []() {});
        pFile->addSeparator();
        pFile->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);

        QMenu* pEdit = menuBar()->addMenu(tr("&Edit"));
        pEdit->addAction(tr("&Undo"), QKeySequence::Undo, m_pEdit, &QTextEdit::undo);
        pEdit->addAction(tr("&Redo"), QKeySequence::Redo, m_pEdit, &QTextEdit::redo);
        pEdit->addSeparator();
        pEdit->addAction(tr("Cu&t"), QKeySequence::Cut, m_pEdit, &QTextEdit::cut);
        pEdit->addAction(tr("&Copy"), QKeySequence::Copy, m_pEdit, &QTextEdit::copy);
        pEdit->addAction(tr("&Paste"), QKeySequence::Paste, m_pEdit, &QTextEdit::paste);
        pEdit->addAction(tr("Paste as Plain &Text"), QKeySequence(tr("Ctrl+Shift+V")), m_pEdit,
                         &QTextEdit::paste);
        pEdit->addSeparator();
        pEdit->addAction(tr("Select &All"), QKeySequence::SelectAll, m_pEdit,
                         &QTextEdit::selectAll);

        QMenu* pView = menuBar()->addMenu(tr("&View"));
        QMenu* pZoom = pView->addMenu(tr("&Zoom"));
        auto* pZoomGroup = new QActionGroup(this);
        for (const int nPercent : {50, 75, 100, 125, 150, 200}) {
            QAction* pAction = pZoom->addAction(QString::number(nPercent) + "%");
            pAction->setCheckable(true);
            pAction->setChecked(nPercent == 100);
            pZoomGroup->addAction(pAction);
        }
        QMenu* pChar = pView->addMenu(tr("&Character Spacing"));
        auto* pCharGroup = new QActionGroup(this);
        for (const int n : {0, 1, 2, 3, 4}) {
            QAction* pAction = pChar->addAction(tr("%1 px").arg(n));
            pAction->setCheckable(true);
            pAction->setChecked(n == 0);
            pCharGroup->addAction(pAction);
        }
        QMenu* pLine = pView->addMenu(tr("&Line Spacing"));
        auto* pLineGroup = new QActionGroup(this);
        for (const int n : {0, 2, 4, 6, 8}) {
            QAction* pAction = pLine->addAction(tr("%1 px").arg(n));
            pAction->setCheckable(true);
            pAction->setChecked(n == 2);
            pLineGroup->addAction(pAction);
        }
        pView->addAction(tr("&Hot-Link Colour..."), this, []() {});
    }

    QTextEdit* m_pEdit = nullptr;
    QLabel* m_pStatusLabel = nullptr;
};

// The peer opened on the HTML and shown, up to the viewport's first paint.
struct OpenedPeer {
    std::unique_ptr<PaintCounter> pPaints = std::make_unique<PaintCounter>();
    std::unique_ptr<PeerWindow> pWindow;
    int nRounds = -1;
    bool bOpened = false;
};

// In the studio's order: the window made and shown, then the page opened.
void OpenPeer(OpenedPeer& opened) {
    opened.pWindow = std::make_unique<PeerWindow>();
    opened.pWindow->Edit()->viewport()->installEventFilter(opened.pPaints.get());
    opened.pWindow->show();
    opened.bOpened = opened.pWindow->Open(TheBench().strHtml);
    if (opened.bOpened) opened.nRounds = RunUntilPainted(*opened.pPaints);
}

// --- Preparing and checking -----------------------------------------------------------------

void Prepare(const char* szExamples) {
    Bench& bench = TheBench();
    if (!bench.dir.isValid()) Fail("cannot make a temporary folder");
    bench.strDir = bench.dir.path().toStdString() + "/examples";
    std::error_code ec;
    std::filesystem::copy(szExamples, bench.strDir, std::filesystem::copy_options::recursive, ec);
    if (ec) Fail(std::string("cannot copy ") + szExamples + ": " + ec.message());
    bench.strPage = bench.strDir + "/exam-page.tsm";
    bench.strHtml = bench.strDir + "/exam-page.html";
    tessel::studio::SetSettingsFile(bench.dir.path() + "/studio.ini");

    // Any message box is counted and gets its safe answer; none may come up.
    tessel::platform::SetMessageBoxAnswerer([](const tessel::platform::MessageBoxRequest&) {
        ++TheBench().nMessageBoxes;
        return std::optional<int>();
    });

    const std::string strMarkup = Slurp(bench.strPage);
    bench.nPageBytes = strMarkup.size();
    CWordAnalyzer analyzer;
    CMyList list;
    analyzer.Convert(strMarkup.c_str(), &list);
    analyzer.CodeGeneration(bench.strWriterMarkup, &list, 0);
}

// The page's HTML file, made after the studio's first opening, which thus starts with nothing
// of the page loaded in the process.
void PrepareHtml() {
    Bench& bench = TheBench();
    CMyList list;
    CWordAnalyzer().Convert(Slurp(bench.strPage).c_str(), &list);
    if (tessel::imaging::LoadListPictures(list, bench.strDir) != 0)
        Fail("a picture of the page does not load from " + bench.strDir);
    QTextDocument doc;
    BuildDocument(list, bench.strDir, doc);
    bench.strPlainText = doc.toPlainText();
    for (QTextBlock block = doc.begin(); block.isValid() && bench.strPicture.isEmpty();
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat() && !format.toImageFormat().name().endsWith(".gif")) {
                bench.strPicture = format.toImageFormat().name();
                break;
            }
        }
    }
    if (bench.strPicture.isEmpty()) Fail("the peer's document has no picture");
    const QByteArray html = doc.toHtml().toUtf8();
    bench.nHtmlBytes = static_cast<std::size_t>(html.size());
    std::ofstream(bench.strHtml, std::ios::binary).write(html.constData(), html.size());
    if (Slurp(bench.strHtml).size() != bench.nHtmlBytes) Fail("cannot write " + bench.strHtml);
}

// The markup without the sizes the editor gives elements itself when it opens a page: a
// formula's size, measured when the formula is loaded, and the column widths of a frame,
// whose last column takes the rest of the line (docs/layout.md). Names and numbers in the
// markup are ASCII bytes that are never the second byte of a GBK character.
std::string WithoutLaidOutSizes(const std::string& strMarkup) {
    static const std::regex formula(R"(<Formula\(('[^']*'),(\d+),\d+,\d+\)>)");
    static const std::regex frame(R"(<MultiColumn\((\d+),(\d+)(,-?\d+)*\)>)");
    std::string strOut = std::regex_replace(strMarkup, formula, "<Formula($1,$2)>");
    return std::regex_replace(strOut, frame, "<MultiColumn($1,$2)>");
}

// The studio shows the page the file has, whole, with its pictures, at the widget's size.
// Returns the time of this opening, the first in the process, in milliseconds.
double CheckStudio() {
    Bench& bench = TheBench();
    OpenedStudio opened;
    const auto start = std::chrono::steady_clock::now();
    OpenStudio(opened);
    const double dMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!opened.bOpened) Fail("the studio does not open " + bench.strPage);
    if (opened.nRounds < 0) Fail("the studio's editor never paints");
    StudioWindow& window = *opened.pWindow;
    CTesselEdit& editor = *window.Editor();
    if (window.PagePath() != bench.strPage || window.IsModified())
        Fail("the studio does not hold the page as opened");
    if (WithoutLaidOutSizes(editor.GetEditText()) != WithoutLaidOutSizes(bench.strWriterMarkup))
        Fail("the studio's editor holds other markup than the page's file");
    int nImages = 0;
    for (const CLink* p = editor.m_pList ? editor.m_pList->FirstLink() : nullptr; p;
         p = p->m_pNext) {
        if (p->m_nKind != kKindImage) continue;
        ++nImages;
        if (!p->m_pPicture) Fail("a picture of the page is not loaded in the studio");
    }
    if (nImages == 0) Fail("the studio's page has no picture");
    const QWidget* pEditorWidget = tessel::platform::WidgetOf(&editor);
    if (pEditorWidget->size() != window.PageWidget()->size() || !pEditorWidget->isVisible() ||
        window.PageWidget()->pageHeight() <= 0)
        Fail("the studio's editor is not shown over its page widget");
    if (bench.nMessageBoxes != 0) Fail("the studio asked something while opening the page");
    opened.pWindow.reset();
    Drain();
    return dMs;
}

// The QTextEdit shows the same text as the peer's document, with the picture loaded.
void CheckPeer() {
    Bench& bench = TheBench();
    OpenedPeer opened;
    OpenPeer(opened);
    if (!opened.bOpened) Fail("the peer cannot read " + bench.strHtml);
    if (opened.nRounds < 0) Fail("the QTextEdit never paints");
    QTextDocument* pDoc = opened.pWindow->Edit()->document();
    if (pDoc->toPlainText() != bench.strPlainText)
        Fail("the QTextEdit holds other text than the peer's document");
    if (pDoc->resource(QTextDocument::ImageResource, QUrl(bench.strPicture)).isNull())
        Fail("the QTextEdit has not loaded " + bench.strPicture.toStdString());
    opened.pWindow.reset();
    Drain();
}

// --- The runs -------------------------------------------------------------------------------

// Destroying the window and what its end leaves in the event loop are not timed.
template <typename Opened>
void Destroy(benchmark::State& state, Opened& opened) {
    state.PauseTiming();
    opened.pWindow.reset();
    Drain();
    state.ResumeTiming();
}

void BM_StudioOpen_Tessel(benchmark::State& state) {
    Bench& bench = TheBench();
    const int nBoxesBefore = bench.nMessageBoxes;
    std::int64_t nRounds = 0;
    for (auto _ : state) {
        OpenedStudio opened;
        OpenStudio(opened);
        if (!opened.bOpened || opened.nRounds < 0) {
            state.SkipWithError("the studio did not open and paint the page");
            break;
        }
        nRounds += opened.nRounds;
        Destroy(state, opened);
    }
    if (bench.nMessageBoxes != nBoxesBefore)
        state.SkipWithError("the studio asked something while opening the page");
    state.counters["page_bytes"] = static_cast<double>(bench.nPageBytes);
    state.counters["rounds"] =
        benchmark::Counter(static_cast<double>(nRounds), benchmark::Counter::kAvgIterations);
}

void BM_StudioOpen_QTextEdit(benchmark::State& state) {
    Bench& bench = TheBench();
    std::int64_t nRounds = 0;
    for (auto _ : state) {
        OpenedPeer opened;
        OpenPeer(opened);
        if (!opened.bOpened || opened.nRounds < 0) {
            state.SkipWithError("the QTextEdit did not open and paint the page");
            break;
        }
        nRounds += opened.nRounds;
        Destroy(state, opened);
    }
    state.counters["html_bytes"] = static_cast<double>(bench.nHtmlBytes);
    state.counters["rounds"] =
        benchmark::Counter(static_cast<double>(nRounds), benchmark::Counter::kAvgIterations);
}

// --- The console output and the closing ratio -----------------------------------------------

// The console output with the peer's time over ours added to the peer's rows, keeping the
// least real time of each case's repetitions (the fastest run is the least disturbed).
// Counters are written beside each row rather than in columns, since only one row carries the
// ratio.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_Color : OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown = runs;
        for (Run& run : shown) {
            if (run.error_occurred) continue;
            const std::string& strName = run.run_name.function_name;
            const bool bMin = run.run_type == Run::RT_Aggregate && run.aggregate_name == "min";
            if (strName == kStudio) {
                m_ours[run.aggregate_name] = run.GetAdjustedRealTime();
            } else if (strName == kPeer &&
                       (run.run_type == Run::RT_Iteration || bMin || run.aggregate_name == "mean" ||
                        run.aggregate_name == "median")) {
                if (auto it = m_ours.find(run.aggregate_name); it != m_ours.end())
                    run.counters["qtextedit_over_studio"] = run.GetAdjustedRealTime() / it->second;
            }
        }
        m_least.Note(runs);
        ConsoleReporter::ReportRuns(shown);
    }

    // dFirstMs: the studio's first opening in the process, before the runs.
    void PrintSummary(double dFirstMs) const {
        const LeastTimes::Times* pOurs = m_least.Find(kStudio);
        const LeastTimes::Times* pTheirs = m_least.Find(kPeer);
        if (!pOurs || !pTheirs) return;
        // The unit of the runs is microseconds.
        const LeastTimes::Times oursMs{pOurs->dReal / 1000.0, pOurs->dCpu / 1000.0};
        const LeastTimes::Times theirsMs{pTheirs->dReal / 1000.0, pTheirs->dCpu / 1000.0};
        std::printf("\n%s\nratio %-14s %.2f\n", kRatioTitle, "example_page",
                    theirsMs.dReal / oursMs.dReal);
        std::printf(
            "Tessel Studio opens and shows the example page in %.1f ms (goal: well under %.0f "
            "ms), %.1f ms of it on the CPU; the QTextEdit window in %.1f ms (%.1f ms on the "
            "CPU). The fastest of the repetitions; the studio's first opening in the process, "
            "with Qt's fonts and caches cold: %.1f ms.\n",
            oursMs.dReal, kGoalMs, oursMs.dCpu, theirsMs.dReal, theirsMs.dCpu, dFirstMs);
    }

  private:
    LeastTimes m_least{LeastTimes::kReal};  // the run with the least real time of each case
    std::map<std::string, double> m_ours;   // the studio's real times, by aggregate name
};

}  // namespace

int main(int argc, char** argv) {
    // Headless unless a platform was chosen: the numbers in docs/studio.md are the offscreen
    // platform's.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tessel::platform::QuietHeadlessPlatform();
    QApplication::setOrganizationName(tessel::studio::kOrganisation);
    QApplication::setApplicationName(tessel::studio::kApplication);

    // The studio first, so that the peer's rows find its time for their ratio.
    Repeated(benchmark::RegisterBenchmark(kStudio, &BM_StudioOpen_Tessel))->UseRealTime();
    Repeated(benchmark::RegisterBenchmark(kPeer, &BM_StudioOpen_QTextEdit))->UseRealTime();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    Prepare(TESSEL_EXAMPLE_DIR);
    const double dFirstMs = CheckStudio();
    PrepareHtml();
    CheckPeer();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary(dFirstMs);
    benchmark::Shutdown();
    tessel::platform::SetMessageBoxAnswerer({});
    RemoveCopies();
    return 0;
}
