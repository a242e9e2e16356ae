// Publishing a page as HTML beside Qt's own HTML export of the same page, and reading a page
// beside Qt reading its own HTML of the same page.
//
// Ours: CodeGeneration in mode 1 (the HTML fragment) on the page's elements, pictures loaded
// so that images have their sizes. The peer: QTextDocument::toHtml() of a document built once
// from the same elements, carrying what our fragment carries:
// - a text run with its face, point size, italic, bold, underline and colour, every line
//   feed or carriage return starting a new block (our fragment starts a paragraph there);
// - an image or formula as an image of the same name and the same size;
// - a fill-in field as a blank of underlined spaces, as many as our input box is wide in
//   characters, named by its answer (our input's name) through an anchor name;
// - a check box as a ballot box, or a circle while a choice is open (our radio buttons);
// - a hot link as an anchor with the same href.
// Scores, clocks and column frames are left out, as our fragment leaves them out; so is the
// raising and lowering of text, which the fragment writes as plain text.
//
// Reading: ours is CWordAnalyzer::Convert of the page's markup into a list, emptied again after
// every run, so freeing the elements is part of the cost. The peer is QTextDocument::setHtml()
// of the HTML Qt's toHtml() writes for the document above, into one document kept for all the
// runs; setHtml() drops the previous content first, so Qt frees its blocks within the runs too.
// Neither loads pictures. For the reads, the C library's allocator keeps freed memory in the
// process (see KeepFreedMemory), as in tessel_bench: otherwise, depending on where the runs
// before have left the top of the heap, every read may fault its memory in again.
//
// All of it runs on the example exam page and on its elements repeated to a 20 KB page. Bytes
// per second are bytes of the page's markup, the same for every row; html_bytes is the size of
// what one export writes (ours in GBK, Qt's counted in UTF-8), input_bytes the size of what one
// read takes (our markup; Qt's HTML counted in UTF-8). The Qt rows carry qt_over_tessel, Qt's
// CPU time over ours for the same work, and the ratios are printed again at the end.
//
// --html_dump=DIR writes both exports of each page into DIR before the runs.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <QString>
#include <QStringList>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bench_page.h"
#include "imaging/list_pictures.h"
#include "least_time.h"
#include "markup/html_writer.h"
#include "markup/word_analyzer.h"
#include "platform/application.h"
#include "platform/gbk.h"
#include "qt_peer_document.h"
#include "repeated.h"

namespace {

enum class Input { kExample, kGrown };

// Each piece of work, ours and Qt's, under the title its ratio is printed with.
struct Comparison {
    const char* szTessel;
    const char* szQt;
    const char* szTitle;
};

constexpr Comparison kExport = {
    "BM_HtmlExport_Tessel", "BM_HtmlExport_QTextDocument",
    "Qt's toHtml() time / Tessel's HTML export time (goal: at least 10)"};
constexpr Comparison kRead = {"BM_Read_Tessel", "BM_Read_QTextDocumentSetHtml",
                              "Qt's setHtml() time / Tessel's markup read time"};
constexpr Comparison kComparisons[] = {kExport, kRead};

[[noreturn]] void Fail(const char* szWhat) {
    std::fprintf(stderr, "tessel_html_bench: %s\n", szWhat);
    std::exit(1);
}

// --- The pages ------------------------------------------------------------------------------

struct Prepared {
    const BenchPage* pBench = nullptr;  // the markup
    std::size_t nMarkupBytes = 0;
    CMyList list;  // pictures loaded
    QTextDocument* pDoc = nullptr;
    std::string strTessel;  // one export of each, for the sizes and the checks
    QString strQt;
};

int Count(std::string_view text, std::string_view what) {
    int n = 0;
    for (size_t i = text.find(what); i != std::string_view::npos; i = text.find(what, i + 1))
        ++n;
    return n;
}

// Both exports must carry the same pictures and links, or the comparison means nothing.
void Check(const Prepared& page) {
    std::string strQt = page.strQt.toStdString();
    if (Count(page.strTessel, "<Img ") != Count(strQt, "<img ") ||
        Count(page.strTessel, "<Img ") == 0)
        Fail("the two exports differ in their images");
    if (Count(page.strTessel, "<a Href=") != Count(strQt, "<a href=") ||
        Count(page.strTessel, "<a Href=") == 0)
        Fail("the two exports differ in their links");
}

// Qt's read must take in what its export wrote: the same text, images and links. (It does not
// give back the very same HTML: an anchor name comes back on the first character after it.)
void CheckQtRead(const Prepared& page) {
    QTextDocument doc;
    doc.setHtml(page.strQt);
    if (doc.toPlainText() != page.pDoc->toPlainText())
        Fail("Qt reads back other text than its export of the page has");
    std::string strRead = doc.toHtml().toStdString();
    std::string strQt = page.strQt.toStdString();
    if (Count(strRead, "<img ") != Count(strQt, "<img ") ||
        Count(strRead, "<a href=") != Count(strQt, "<a href="))
        Fail("Qt reads back other images or links than its export of the page has");
}

// Made once and kept until the process ends, like the application object.
Prepared& PageFor(Input input) {
    static Prepared* pages[2] = {};
    Prepared*& pPage = pages[input == Input::kExample ? 0 : 1];
    if (pPage) return *pPage;
    tessel::platform::EnsureApplication();
    const BenchPage& bench = input == Input::kExample ? ExamplePage() : GrownPage();
    pPage = new Prepared;
    pPage->pBench = &bench;
    pPage->nMarkupBytes = bench.strMarkup.size();
    CWordAnalyzer().Convert(bench.strMarkup.c_str(), &pPage->list);
    if (tessel::imaging::LoadListPictures(pPage->list, TESSEL_EXAMPLE_DIR) != 0)
        Fail("a picture of the page does not load from " TESSEL_EXAMPLE_DIR);
    pPage->pDoc = new QTextDocument;
    tessel::bench::BuildPeerDocument(pPage->list, *pPage->pDoc);
    CWordAnalyzer().CodeGeneration(pPage->strTessel, &pPage->list, 1);
    pPage->strQt = pPage->pDoc->toHtml();
    Check(*pPage);
    CheckQtRead(*pPage);
    return *pPage;
}

void ReportThroughput(benchmark::State& state, const Prepared& page, std::size_t nHtmlBytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(page.nMarkupBytes));
    state.counters["html_bytes"] = static_cast<double>(nHtmlBytes);
}

// --- The runs -------------------------------------------------------------------------------

// Into a new string every run, as Qt makes a new one.
void ExportTessel(benchmark::State& state, Input input) {
    Prepared& page = PageFor(input);
    CWordAnalyzer analyzer;
    for (auto _ : state) {
        std::string strOut;
        analyzer.CodeGeneration(strOut, &page.list, 1);
        benchmark::DoNotOptimize(strOut.data());
        benchmark::ClobberMemory();
    }
    ReportThroughput(state, page, page.strTessel.size());
}

void ExportQt(benchmark::State& state, Input input) {
    Prepared& page = PageFor(input);
    for (auto _ : state) {
        QString strOut = page.pDoc->toHtml();
        benchmark::DoNotOptimize(strOut.constData());
        benchmark::ClobberMemory();
    }
    ReportThroughput(state, page, page.strQt.toUtf8().size());
}

void ReportRead(benchmark::State& state, const Prepared& page, std::size_t nInputBytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(page.nMarkupBytes));
    state.counters["input_bytes"] = static_cast<double>(nInputBytes);
}

// From the first read on, freed memory stays with the allocator: none is given back when the
// top of the heap is free (a page's elements are some hundreds of kilobytes; giving them back
// after each run made our read of the 20 KB page five times slower once the exports had run
// before it), and blocks of up to 32 MB come from the heap instead of mappings of their own.
// Fixing either limit stops glibc from moving the mapping limit up by itself, so both are set;
// 32 MB is as far as glibc would move it. The reads are registered after the exports, which
// keep the allocator's defaults.
void KeepFreedMemory() {
    static const bool bDone = [] {
        if (mallopt(M_MMAP_THRESHOLD, 32 << 20) == 0 || mallopt(M_TRIM_THRESHOLD, 256 << 20) == 0)
            Fail("the allocator's limits cannot be set");
        return true;
    }();
    (void)bDone;
}

void ReadTessel(benchmark::State& state, Input input) {
    Prepared& page = PageFor(input);
    KeepFreedMemory();
    const char* szMarkup = page.pBench->strMarkup.c_str();
    CWordAnalyzer analyzer;
    CMyList list;
    for (auto _ : state) {
        analyzer.Convert(szMarkup, &list);
        benchmark::DoNotOptimize(list.IsEmpty());
        list.Clear();
    }
    ReportRead(state, page, page.nMarkupBytes);
}

void ReadQt(benchmark::State& state, Input input) {
    Prepared& page = PageFor(input);
    KeepFreedMemory();
    QTextDocument doc;
    for (auto _ : state) {
        doc.setHtml(page.strQt);
        benchmark::DoNotOptimize(doc.blockCount());
    }
    ReportRead(state, page, page.strQt.toUtf8().size());
}

void Dump(const char* szDir) {
    for (auto [input, szPage] :
         {std::pair{Input::kExample, "example_page"}, {Input::kGrown, "page_20k"}}) {
        const Prepared& page = PageFor(input);
        std::string strBase = std::string(szDir) + "/" + szPage;
        std::ofstream(strBase + ".tessel.gbk.html", std::ios::binary) << page.strTessel;
        std::ofstream(strBase + ".qt.utf8.html", std::ios::binary) << page.strQt.toStdString();
    }
}

// --- Registration and the closing ratios ----------------------------------------------------

constexpr const char* kPages[] = {"example_page", "page_20k"};

// The console output with Qt's time over ours added to Qt's rows. The least CPU time of the
// repetitions is the one compared: the machine may be busy with other work, and the fastest
// run is the least disturbed. Counters are written beside each row rather than in columns,
// since only some rows carry the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_Color : OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown = runs;
        m_times.Note(runs);
        for (Run& run : shown) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "min" &&
                run.aggregate_name != "mean" && run.aggregate_name != "median")
                continue;
            const std::string& strName = run.run_name.function_name;
            for (const Comparison& comparison : kComparisons) {
                if (!strName.starts_with(std::string(comparison.szQt) + "/")) continue;
                std::string strOurs =
                    comparison.szTessel + strName.substr(std::strlen(comparison.szQt));
                std::string strKey = strOurs + "|" + run.aggregate_name;
                if (auto it = m_aggregates.find(strKey); it != m_aggregates.end())
                    run.counters["qt_over_tessel"] = run.GetAdjustedCPUTime() / it->second;
            }
        }
        for (const Run& run : runs) {
            for (const Comparison& comparison : kComparisons) {
                if (run.run_name.function_name.starts_with(std::string(comparison.szTessel) + "/"))
                    m_aggregates[run.run_name.function_name + "|" + run.aggregate_name] =
                        run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(shown);
    }

    void PrintRatios() const {
        for (const Comparison& comparison : kComparisons) {
            bool bTitle = false;
            for (const char* szPage : kPages) {
                const double dOurs = m_times.Least(std::string(comparison.szTessel) + "/" + szPage);
                const double dTheirs = m_times.Least(std::string(comparison.szQt) + "/" + szPage);
                if (dOurs < 0 || dTheirs < 0) continue;
                if (!bTitle) std::printf("\n%s\n", comparison.szTitle);
                bTitle = true;
                std::printf("ratio %-14s %.1f\n", szPage, dTheirs / dOurs);
            }
        }
    }

  private:
    tessel::bench::LeastTimes m_times;           // least CPU time of each benchmark
    std::map<std::string, double> m_aggregates;  // ours, by name and aggregate
};

}  // namespace

int main(int argc, char** argv) {
    // Our own option goes before the library sees the command line.
    const char* szDump = nullptr;
    int nKept = 1;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg.starts_with("--html_dump="))
            szDump = argv[i] + std::strlen("--html_dump=");
        else
            argv[nKept++] = argv[i];
    }
    argc = nKept;

    using RunFn = void (*)(benchmark::State&, Input);
    struct Runs {
        const Comparison& comparison;
        RunFn tessel;
        RunFn qt;
    };
    // Ours before Qt's on each page, so that Qt's rows find our time for their ratio.
    for (const Runs& runs :
         {Runs{kExport, &ExportTessel, &ExportQt}, {kRead, &ReadTessel, &ReadQt}}) {
        for (auto [input, szPage] :
             {std::pair{Input::kExample, kPages[0]}, {Input::kGrown, kPages[1]}}) {
            for (auto [szName, run] : {std::pair{runs.comparison.szTessel, runs.tessel},
                                       {runs.comparison.szQt, runs.qt}}) {
                std::string strName = std::string(szName) + "/" + szPage;
                Repeated(benchmark::RegisterBenchmark(strName.c_str(), run, input));
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (szDump) Dump(szDump);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
