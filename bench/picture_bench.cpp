// Picture decoding beside its peers: our GIF reader against giflib (DGifSlurp from memory),
// our BMP reader against QImage::loadFromData. The pictures are made here. At the end the
// time of each of ours is printed as a ratio to its peer's.
//
// Counters: peak_bytes is the most heap one decode of ours holds at once (operator new is
// counted below), pixel_bytes the decoded rows it keeps; peers allocate through malloc, so
// for them held_bytes is what malloc holds for the decoded picture.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <string>

#include "gif_writer.h"
#include "imaging/decoders/bmp_decoder.h"
#include "imaging/decoders/gif_decoder.h"
#include "least_time.h"
#include "repeated.h"

#if TESSEL_BENCH_GIFLIB
#include <gif_lib.h>
#endif
#if TESSEL_BENCH_QT
#include <QByteArray>
#include <QImage>
#endif

// --- Counting heap --------------------------------------------------------------------------
// Every block carries its size in front of it, so that the bytes live can be followed.

namespace {

std::atomic<std::int64_t> g_nLive{0};
std::atomic<std::int64_t> g_nPeak{0};
constexpr std::size_t kPrefix = 16;

void* CountedAlloc(std::size_t n) {
    auto* p = static_cast<unsigned char*>(std::malloc(n + kPrefix));
    if (!p) return nullptr;
    std::memcpy(p, &n, sizeof n);
    std::int64_t nLive =
        g_nLive.fetch_add(static_cast<std::int64_t>(n)) + static_cast<std::int64_t>(n);
    std::int64_t nPeak = g_nPeak.load(std::memory_order_relaxed);
    while (nLive > nPeak && !g_nPeak.compare_exchange_weak(nPeak, nLive)) {
    }
    return p + kPrefix;
}

void CountedFree(void* pBlock) {
    if (!pBlock) return;
    auto* p = static_cast<unsigned char*>(pBlock) - kPrefix;
    std::size_t n;
    std::memcpy(&n, p, sizeof n);
    g_nLive.fetch_sub(static_cast<std::int64_t>(n));
    std::free(p);
}

// Peak heap above what was live before f ran.
template <typename F>
std::int64_t PeakOf(F f) {
    std::int64_t nBase = g_nLive.load();
    g_nPeak.store(nBase);
    f();
    return g_nPeak.load() - nBase;
}

// What malloc holds while the result of f() is alive.
template <typename F>
std::int64_t HeldBy(F f) {
    std::int64_t nBefore = static_cast<std::int64_t>(mallinfo2().uordblks);
    auto result = f();
    std::int64_t nHeld = static_cast<std::int64_t>(mallinfo2().uordblks) - nBefore;
    benchmark::DoNotOptimize(result);
    return nHeld;
}

}  // namespace

void* operator new(std::size_t n) {
    if (void* p = CountedAlloc(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    if (void* p = CountedAlloc(n)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return CountedAlloc(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return CountedAlloc(n);
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    CountedFree(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    CountedFree(p);
}

namespace {

using tessel::imaging::ByteSpan;
using tessel::imaging::ReadBmp;
using tessel::imaging::ReadGif;
using tessel::imaging::test::Bytes;
using tessel::imaging::test::TestFrame;

// --- The pictures -------------------------------------------------------------------------

std::uint32_t g_nSeed = 1;
int Noise() {
    g_nSeed = g_nSeed * 1103515245 + 12345;
    return static_cast<int>(g_nSeed >> 16);
}

// 1000 × 1000 in 256 colours: a third of bands, a third dithered noise, a third flat blocks,
// the mix of a scanned worksheet page.
const Bytes& GifLarge() {
    static const Bytes file = [] {
        TestFrame frame{.nWidth = 1000, .nHeight = 1000};
        frame.pixels.resize(1000 * 1000);
        for (int y = 0; y < 1000; ++y) {
            for (int x = 0; x < 1000; ++x) {
                int n = y < 333   ? (x / 8 + y / 8)
                        : y < 666 ? ((x ^ y) & 0xF0) | (Noise() & 3)
                                  : (x / 50 + y / 50) * 7;
                frame.pixels[y * 1000 + x] = static_cast<std::uint8_t>(n);
            }
        }
        Bytes out = tessel::imaging::test::GifHeader(1000, 1000, 7);
        tessel::imaging::test::PutFrame(out, frame);
        out.push_back(';');
        return out;
    }();
    return file;
}

// 128 frames of 320 × 240 in 16 colours: a disc moving over stripes, each frame with its
// control record.
const Bytes& GifAnimation() {
    static const Bytes file = [] {
        Bytes out = tessel::imaging::test::GifHeader(320, 240, 3);
        for (int i = 0; i < 128; ++i) {
            TestFrame frame{.nWidth = 320, .nHeight = 240, .nMinBits = 4};
            frame.pixels.resize(320 * 240);
            int cx = 40 + 2 * i, cy = 120 + (i % 32) - 16;
            for (int y = 0; y < 240; ++y) {
                for (int x = 0; x < 320; ++x) {
                    bool bDisc = (x - cx) * (x - cx) + (y - cy) * (y - cy) < 900;
                    frame.pixels[y * 320 + x] =
                        static_cast<std::uint8_t>(bDisc ? 15 : ((x + y + i) / 12) % 8);
                }
            }
            tessel::imaging::test::PutControl(out, 4, 4, 0);
            tessel::imaging::test::PutFrame(out, frame);
        }
        out.push_back(';');
        return out;
    }();
    return file;
}

// 1000 × 1000 BMP files at 24 and 8 bits per pixel.
Bytes MakeBmp(int nBitCount) {
    const int nSize = 1000, nStride = (nSize * nBitCount + 31) / 32 * 4;
    const int nColours = nBitCount == 8 ? 256 : 0;
    const std::uint32_t nOffset = 54 + nColours * 4;
    Bytes out{'B', 'M'};
    using tessel::imaging::test::Put16;
    using tessel::imaging::test::Put32;
    Put32(out, nOffset + nStride * nSize);
    Put32(out, 0);
    Put32(out, nOffset);
    for (std::uint32_t n : {40, nSize, nSize})
        Put32(out, n);
    Put16(out, 1);
    Put16(out, nBitCount);
    for (std::uint32_t n : {0, 0, 2835, 2835, 0, 0})
        Put32(out, n);
    for (int i = 0; i < nColours; ++i)
        out.insert(out.end(), {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2), 0});
    for (int y = 0; y < nSize; ++y) {
        for (int b = 0; b < nStride; ++b)
            out.push_back(static_cast<std::uint8_t>((b * 7) ^ (y * 3)));
    }
    return out;
}

const Bytes& Bmp24() {
    static const Bytes file = MakeBmp(24);
    return file;
}
const Bytes& Bmp8() {
    static const Bytes file = MakeBmp(8);
    return file;
}

// --- Ours ---------------------------------------------------------------------------------

std::int64_t GifPixelBytes(const tessel::imaging::GifImage& gif) {
    std::int64_t n = 0;
    for (const auto& frame : gif.frames)
        n += static_cast<std::int64_t>(frame.dib.bits.size());
    return n;
}

void Ours(benchmark::State& state, const Bytes& (*picture)()) {
    const Bytes& file = picture();
    const bool bGif = file[0] == 'G';
    for (auto _ : state) {
        if (bGif) {
            auto gif = ReadGif(file);
            benchmark::DoNotOptimize(gif);
        } else {
            auto dib = ReadBmp(file);
            benchmark::DoNotOptimize(dib);
        }
    }
    std::int64_t nPixelBytes = 0;
    std::int64_t nPeak = PeakOf([&] {
        if (bGif) {
            auto gif = ReadGif(file);
            if (!gif || gif->frames.empty()) std::abort();
            nPixelBytes = GifPixelBytes(*gif);
        } else {
            auto dib = ReadBmp(file);
            if (!dib) std::abort();
            nPixelBytes = static_cast<std::int64_t>(dib->bits.size());
        }
    });
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
    state.counters["peak_bytes"] = static_cast<double>(nPeak);
    state.counters["pixel_bytes"] = static_cast<double>(nPixelBytes);
}

// --- Peers --------------------------------------------------------------------------------

#if TESSEL_BENCH_GIFLIB
struct MemorySource {
    const Bytes* pFile;
    std::size_t nPos;
};

int ReadMemory(GifFileType* pGif, GifByteType* pOut, int n) {
    auto* src = static_cast<MemorySource*>(pGif->UserData);
    std::size_t nTake =
        std::min<std::size_t>(static_cast<std::size_t>(n), src->pFile->size() - src->nPos);
    std::memcpy(pOut, src->pFile->data() + src->nPos, nTake);
    src->nPos += nTake;
    return static_cast<int>(nTake);
}

// Opens and slurps the file: every frame's index pixels, de-interlaced, as giflib keeps them.
GifFileType* GiflibSlurp(const Bytes& file) {
    MemorySource src{&file, 0};
    int nError = 0;
    GifFileType* pGif = DGifOpen(&src, ReadMemory, &nError);
    if (!pGif || DGifSlurp(pGif) != GIF_OK) std::abort();
    pGif->UserData = nullptr;
    return pGif;
}

void Giflib(benchmark::State& state, const Bytes& (*picture)()) {
    const Bytes& file = picture();
    for (auto _ : state) {
        GifFileType* pGif = GiflibSlurp(file);
        benchmark::DoNotOptimize(pGif->SavedImages[0].RasterBits);
        DGifCloseFile(pGif, nullptr);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
    std::int64_t nHeld = 0;
    {
        std::int64_t nBefore = static_cast<std::int64_t>(mallinfo2().uordblks);
        GifFileType* pGif = GiflibSlurp(file);
        nHeld = static_cast<std::int64_t>(mallinfo2().uordblks) - nBefore;
        DGifCloseFile(pGif, nullptr);
    }
    state.counters["held_bytes"] = static_cast<double>(nHeld);
}

// Our frames must hold the index pixels giflib finds, or the comparison means nothing.
void CheckAgainstGiflib(const Bytes& file) {
    auto gif = ReadGif(file);
    GifFileType* pGif = GiflibSlurp(file);
    if (!gif || static_cast<int>(gif->frames.size()) != pGif->ImageCount) std::abort();
    for (int i = 0; i < pGif->ImageCount; ++i) {
        const SavedImage& theirs = pGif->SavedImages[i];
        const auto& ours = gif->frames[i];
        for (int y = 0; y < ours.nHeight; ++y) {
            for (int x = 0; x < ours.nWidth; ++x) {
                if (ours.dib.Index(x, y) != theirs.RasterBits[y * ours.nWidth + x]) {
                    std::fprintf(stderr, "frame %d differs from giflib at %d,%d\n", i, x, y);
                    std::abort();
                }
            }
        }
    }
    DGifCloseFile(pGif, nullptr);
}
#endif

#if TESSEL_BENCH_QT
void QtBmp(benchmark::State& state, const Bytes& (*picture)()) {
    const Bytes& file = picture();
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()),
                                                    static_cast<qsizetype>(file.size()));
    for (auto _ : state) {
        QImage image;
        if (!image.loadFromData(data, "BMP")) std::abort();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
    state.counters["held_bytes"] = static_cast<double>(HeldBy([&] {
        QImage image;
        image.loadFromData(data, "BMP");
        return image;
    }));
}
#endif

// --- Registration and the closing ratios ----------------------------------------------------

struct Pair {
    const char* szPicture;
    const Bytes& (*picture)();
    const char* szPeer;
    void (*peer)(benchmark::State&, const Bytes& (*)());
};

std::vector<Pair> Pairs() {
    std::vector<Pair> pairs;
    for (auto [szName, picture] :
         {std::pair{"gif_1000x1000", &GifLarge}, {"gif_128_frames", &GifAnimation}}) {
#if TESSEL_BENCH_GIFLIB
        pairs.push_back({szName, picture, "giflib", &Giflib});
#else
        pairs.push_back({szName, picture, nullptr, nullptr});
#endif
    }
    for (auto [szName, picture] :
         {std::pair{"bmp24_1000x1000", &Bmp24}, {"bmp8_1000x1000", &Bmp8}}) {
#if TESSEL_BENCH_QT
        pairs.push_back({szName, picture, "qimage", &QtBmp});
#else
        pairs.push_back({szName, picture, nullptr, nullptr});
#endif
    }
    return pairs;
}

// The console output, keeping the least CPU time of every benchmark: the machine may be busy
// with other work (which stretches real time far more than the CPU time of one thread), and
// the fastest of several repetitions is the least disturbed.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        m_times.Note(runs);
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios(const std::vector<Pair>& pairs) const {
        std::printf(
            "\ntime of ours / time of the peer (goal for GIF: at most 1.0, moonshot 0.6)\n");
        for (const Pair& pair : pairs) {
            if (!pair.szPeer) continue;
            const double dOurs = m_times.Least(std::string(pair.szPicture) + "/tessel");
            const double dTheirs = m_times.Least(std::string(pair.szPicture) + "/" + pair.szPeer);
            if (dOurs < 0 || dTheirs < 0) continue;
            std::printf("ratio %-18s vs %-7s %.2f\n", pair.szPicture, pair.szPeer, dOurs / dTheirs);
        }
    }

  private:
    tessel::bench::LeastTimes m_times;
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<Pair> pairs = Pairs();
#if TESSEL_BENCH_GIFLIB
    CheckAgainstGiflib(GifLarge());
    CheckAgainstGiflib(GifAnimation());
#endif
    for (const Pair& pair : pairs) {
        std::string strName = pair.szPicture;
        for (auto [strRun, run] : {std::pair{strName + "/tessel", &Ours},
                                   {strName + "/" + (pair.szPeer ? pair.szPeer : ""), pair.peer}}) {
            if (!run) continue;
            Repeated(benchmark::RegisterBenchmark(strRun.c_str(), run, pair.picture));
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios(pairs);
    benchmark::Shutdown();
    return 0;
}
