#include "bench_page.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "document/char_format.h"
#include "markup/word_analyzer.h"

namespace {

int CountElements(const std::string& strMarkup) {
    CWordAnalyzer analyzer;
    CMyList list;
    analyzer.Convert(strMarkup.c_str(), &list);
    int n = 0;
    for (list.First(); list.IsInList(); list.Next())
        ++n;
    return n;
}

[[noreturn]] void Fail(const char* szWhat, const char* szPath) {
    std::fprintf(stderr, "tessel_bench: %s: %s\n", szWhat, szPath);
    std::exit(1);
}

BenchPage LoadExample() {
    const char* szPath = TESSEL_EXAMPLE_PAGE;
    std::ifstream file(szPath, std::ios::binary);
    if (!file) Fail("cannot open the example page", szPath);
    BenchPage page;
    page.strMarkup.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    page.nElements = CountElements(page.strMarkup);
    if (page.nElements == 0) Fail("the reader makes no element of the example page", szPath);
    return page;
}

BenchPage Grow(const BenchPage& example) {
    // Each element written on its own, so that the page can be cut between any two.
    CWordAnalyzer analyzer;
    CMyList list;
    analyzer.Convert(example.strMarkup.c_str(), &list);
    std::vector<std::string> pieces;
    for (list.First(); list.IsInList(); list.Next()) {
        CMyList single;
        CLink* pCopy = new CLink;
        CopyLink(pCopy, list.GetCurr());
        single.Append(pCopy);
        std::string strPiece;
        analyzer.CodeGeneration(strPiece, &single, 0);
        if (!strPiece.empty()) pieces.push_back(std::move(strPiece));
    }
    if (pieces.empty()) Fail("the writer writes nothing of the example page", TESSEL_EXAMPLE_PAGE);

    BenchPage page;
    for (std::size_t i = 0;; i = (i + 1) % pieces.size()) {
        if (page.strMarkup.size() + pieces[i].size() > kGrownPageBytes) break;
        page.strMarkup += pieces[i];
    }
    page.nElements = CountElements(page.strMarkup);
    return page;
}

}  // namespace

const BenchPage& ExamplePage() {
    static const BenchPage page = LoadExample();
    return page;
}

const BenchPage& GrownPage() {
    static const BenchPage page = Grow(ExamplePage());
    return page;
}
