// Reading and writing the markup of a whole page.
//
// Every benchmark runs on two inputs: the example exam page as stored (about 6 KB, with
// line breaks between its tags) and the same elements repeated to a full 20 KB document.
// Throughput is reported in bytes of markup and in elements per second.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "bench_page.h"
#include "heap.h"
#include "markup/word_analyzer.h"

namespace {

enum class Input { kExample, kGrown };

const BenchPage& PageFor(Input input) {
    return input == Input::kExample ? ExamplePage() : GrownPage();
}

void ReportThroughput(benchmark::State& state, const BenchPage& page) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(page.strMarkup.size()));
    state.counters["elements"] =
        benchmark::Counter(page.nElements, benchmark::Counter::kIsIterationInvariantRate);
}

// --- Tessel ---------------------------------------------------------------------------------

// Reading a page into a list. The list is emptied after every run, so freeing the elements
// is part of the cost, as it is when an editor closes.
void BM_Convert(benchmark::State& state, Input input) {
    const BenchPage& page = PageFor(input);
    CWordAnalyzer analyzer;
    CMyList list;
    for (auto _ : state) {
        analyzer.Convert(page.strMarkup.c_str(), &list);
        benchmark::DoNotOptimize(list.IsEmpty());
        list.Clear();
    }
    ReportThroughput(state, page);
}

// Writing a list read once, into a new string every run.
void BM_CodeGeneration(benchmark::State& state, Input input) {
    const BenchPage& page = PageFor(input);
    CWordAnalyzer analyzer;
    CMyList list;
    analyzer.Convert(page.strMarkup.c_str(), &list);
    for (auto _ : state) {
        std::string strOut;
        analyzer.CodeGeneration(strOut, &list, 0);
        benchmark::DoNotOptimize(strOut.data());
        benchmark::ClobberMemory();
    }
    ReportThroughput(state, page);
}

// Writing the same list again and again into one string, which keeps its capacity.
void BM_CodeGenerationReused(benchmark::State& state, Input input) {
    const BenchPage& page = PageFor(input);
    CWordAnalyzer analyzer;
    CMyList list;
    analyzer.Convert(page.strMarkup.c_str(), &list);
    std::string strOut;
    for (auto _ : state) {
        analyzer.CodeGeneration(strOut, &list, 0);
        benchmark::DoNotOptimize(strOut.data());
        benchmark::ClobberMemory();
    }
    ReportThroughput(state, page);
}

// Writing into a caller's buffer, the form the host's GetEditText uses.
void BM_CodeGenerationBuffer(benchmark::State& state, Input input) {
    const BenchPage& page = PageFor(input);
    CWordAnalyzer analyzer;
    CMyList list;
    analyzer.Convert(page.strMarkup.c_str(), &list);
    std::string strSize;
    analyzer.CodeGeneration(strSize, &list, 0);
    auto buffer = std::make_unique<char[]>(strSize.size() + 1);
    for (auto _ : state) {
        analyzer.CodeGeneration(buffer.get(), &list, 0);
        benchmark::DoNotOptimize(buffer.get());
        benchmark::ClobberMemory();
    }
    ReportThroughput(state, page);
}

// Opening and closing a page: read it, write it back, free the elements.
void BM_RoundTrip(benchmark::State& state, Input input) {
    const BenchPage& page = PageFor(input);
    CWordAnalyzer analyzer;
    CMyList list;
    std::string strOut;
    for (auto _ : state) {
        analyzer.Convert(page.strMarkup.c_str(), &list);
        analyzer.CodeGeneration(strOut, &list, 0);
        benchmark::DoNotOptimize(strOut.data());
        list.Clear();
    }
    ReportThroughput(state, page);
}

// Heap allocations of one read and of one write (into a new string). Both should grow with
// the number of elements, not with the number of bytes of text: a handful per element.
void BM_Allocations(benchmark::State& state, Input input) {
    const BenchPage& page = PageFor(input);
    CWordAnalyzer analyzer;
    CMyList list;
    std::uint64_t nRead = 0;
    std::uint64_t nWrite = 0;
    for (auto _ : state) {
        std::uint64_t n0 = AllocationCount();
        analyzer.Convert(page.strMarkup.c_str(), &list);
        std::uint64_t n1 = AllocationCount();
        std::string strOut;
        analyzer.CodeGeneration(strOut, &list, 0);
        benchmark::DoNotOptimize(strOut.data());
        std::uint64_t n2 = AllocationCount();
        list.Clear();
        nRead += n1 - n0;
        nWrite += n2 - n1;
    }
    const double nRuns = static_cast<double>(state.iterations());
    const double nBytes = static_cast<double>(page.strMarkup.size());
    state.counters["read_allocs"] = static_cast<double>(nRead) / nRuns;
    state.counters["write_allocs"] = static_cast<double>(nWrite) / nRuns;
    state.counters["read_allocs_per_byte"] = static_cast<double>(nRead) / nRuns / nBytes;
    state.counters["write_allocs_per_byte"] = static_cast<double>(nWrite) / nRuns / nBytes;
    state.counters["read_allocs_per_element"] = static_cast<double>(nRead) / nRuns / page.nElements;
    ReportThroughput(state, page);
}

}  // namespace

#define TESSEL_PAGE_BENCHMARK(fn)                                                        \
    BENCHMARK_CAPTURE(fn, example_page, Input::kExample)->Unit(benchmark::kMicrosecond); \
    BENCHMARK_CAPTURE(fn, page_20k, Input::kGrown)->Unit(benchmark::kMicrosecond)

TESSEL_PAGE_BENCHMARK(BM_Convert);
TESSEL_PAGE_BENCHMARK(BM_CodeGeneration);
TESSEL_PAGE_BENCHMARK(BM_CodeGenerationReused);
TESSEL_PAGE_BENCHMARK(BM_CodeGenerationBuffer);
TESSEL_PAGE_BENCHMARK(BM_RoundTrip);
TESSEL_PAGE_BENCHMARK(BM_Allocations);
