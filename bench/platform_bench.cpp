// The drawing half of the platform layer: what one paint of the editor spends its time in.
//
// Text: a 40-character line of Chinese and English (GBK, as the editor passes it) drawn with
// TextOut, on an opaque and on a transparent background, and measured with GetTextExtent, in
// a Chinese face (宋体) and in a Latin face (Times New Roman) whose Chinese characters come
// from the Song stand-in; the same line drawn by a face that has drawn nothing before; a short
// word drawn (what a call costs beside its characters); and a CFont made, selected and
// measured as the editor does for every piece of text it draws. Transfers: 800 x 600 pixels
// copied (SRCCOPY, NOTSRCCOPY) into a bitmap, and a bitmap of that size painted white (PatBlt
// WHITENESS), as the editor paints its off-screen page and copies it to the window; and a
// picture's bitmap drawn with StretchDIBits.

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/gbk.h"
#include "platform/gdi.h"

namespace {

// 40 characters: 16 Chinese, 24 Latin letters, digits, spaces and punctuation.
const std::string& MixedLine() {
    static const std::string line = tessel::platform::Utf8ToGbk(
        "\xe8\xaf\x95\xe5\x8d\xb7 Page 1: \xe9\x80\x89\xe6\x8b\xa9\xe6\xad\xa3\xe7\xa1\xae"
        "\xe7\x9a\x84\xe7\xad\x94\xe6\xa1\x88 (A) \xe4\xb8\xad\xe6\x96\x87\xe6\x8e\x92\xe7\x89"
        "\x88 text \xe6\xb5\x8b\xe8\xaf\x95\xe8\xa1\x8c\xe5\xad\x97 ok");
    return line;
}

LOGFONT Font(const char* szFaceUtf8) {
    LOGFONT lf;
    lf.lfHeight = -16;
    lf.lfWeight = FW_THIN;
    const std::string face = tessel::platform::Utf8ToGbk(szFaceUtf8);
    std::memcpy(lf.lfFaceName, face.data(), face.size());
    return lf;
}

const char* FaceName(int nFace) {
    return nFace == 0 ? "\xe5\xae\x8b\xe4\xbd\x93" : "Times New Roman";  // 宋体
}

// A memory context with a white bitmap selected.
struct Canvas {
    CDC dc;
    CBitmap bitmap;
    Canvas(int nWidth, int nHeight) {
        tessel::platform::EnsureApplication();
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateBitmap(nWidth, nHeight);
        dc.SelectObject(&bitmap);
    }
};

// The editor draws text on an opaque background (the context's white); with a transparent
// background each drawing goes to fresh white rows, so that no text lands on text.
void BM_TextOut(benchmark::State& state) {
    const bool bOpaque = state.range(1) == OPAQUE;
    constexpr int kRows = 100, kRowHeight = 20;
    Canvas canvas(800, kRows * kRowHeight);
    const LOGFONT lf = Font(FaceName(static_cast<int>(state.range(0))));
    CFont font;
    font.CreateFontIndirect(&lf);
    canvas.dc.SelectObject(&font);
    canvas.dc.SetBkMode(static_cast<int>(state.range(1)));
    const std::string& line = MixedLine();
    int nRow = 0;
    for (auto _ : state) {
        if (!bOpaque && nRow == kRows) {
            state.PauseTiming();
            canvas.dc.PatBlt(0, 0, 800, kRows * kRowHeight, WHITENESS);
            nRow = 0;
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(canvas.dc.TextOut(4, bOpaque ? 0 : nRow++ * kRowHeight, line));
    }
    state.SetItemsProcessed(state.iterations() * 40);  // characters
    state.SetLabel(std::string(state.range(0) == 0 ? "Song" : "Times New Roman") +
                   (bOpaque ? ", opaque" : ", transparent"));
}
BENCHMARK(BM_TextOut)->ArgsProduct({{0, 1}, {OPAQUE, TRANSPARENT}});

// The same line drawn by a face that has drawn nothing yet: its characters are measured,
// shaped and drawn for the first time (as on the first paint of a page). Every iteration
// makes a face of its own (an orientation no face has had before: Qt's font is the same).
void BM_TextOutFirstTime(benchmark::State& state) {
    Canvas canvas(800, 40);
    LOGFONT lf = Font(FaceName(static_cast<int>(state.range(0))));
    const std::string& line = MixedLine();
    for (auto _ : state) {
        ++lf.lfOrientation;
        CFont font;
        font.CreateFontIndirect(&lf);
        CFont* pOld = canvas.dc.SelectObject(&font);
        benchmark::DoNotOptimize(canvas.dc.TextOut(4, 4, line));
        canvas.dc.SelectObject(pOld);
    }
    state.SetItemsProcessed(state.iterations() * 40);
    state.SetLabel(state.range(0) == 0 ? "Song" : "Times New Roman");
}
BENCHMARK(BM_TextOutFirstTime)->Arg(0)->Arg(1);

// A short piece of text, as the editor draws one per text element: what a call costs beside
// its characters.
void BM_TextOutWord(benchmark::State& state) {
    Canvas canvas(200, 40);
    const LOGFONT lf = Font(FaceName(1));
    CFont font;
    font.CreateFontIndirect(&lf);
    canvas.dc.SelectObject(&font);
    for (auto _ : state)
        benchmark::DoNotOptimize(canvas.dc.TextOut(4, 4, "word", 4));
    state.SetItemsProcessed(state.iterations() * 4);
}
BENCHMARK(BM_TextOutWord);

void BM_GetTextExtent(benchmark::State& state) {
    Canvas canvas(8, 8);
    const LOGFONT lf = Font(FaceName(static_cast<int>(state.range(0))));
    CFont font;
    font.CreateFontIndirect(&lf);
    canvas.dc.SelectObject(&font);
    const std::string& line = MixedLine();
    for (auto _ : state)
        benchmark::DoNotOptimize(canvas.dc.GetTextExtent(line));
    state.SetItemsProcessed(state.iterations() * 40);
    state.SetLabel(state.range(0) == 0 ? "Song" : "Times New Roman");
}
BENCHMARK(BM_GetTextExtent)->Arg(0)->Arg(1);

// What the editor does per text element per paint: a font made from a LOGFONT, selected,
// the text measured, the old font back.
void BM_CreateSelectMeasure(benchmark::State& state) {
    Canvas canvas(8, 8);
    const LOGFONT lf = Font(FaceName(1));
    for (auto _ : state) {
        CFont font;
        font.CreateFontIndirect(&lf);
        CFont* pOld = canvas.dc.SelectObject(&font);
        benchmark::DoNotOptimize(canvas.dc.GetTextExtent("word", 4));
        canvas.dc.SelectObject(pOld);
    }
}
BENCHMARK(BM_CreateSelectMeasure);

// 800 x 600 pixels out of a larger bitmap, so that the copy goes pixel by pixel.
void BM_BitBlt(benchmark::State& state) {
    Canvas source(816, 616), target(800, 600);
    source.dc.FillSolidRect(CRect(100, 100, 700, 500), RGB(200, 30, 60));
    const auto dwRop = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(target.dc.BitBlt(0, 0, 800, 600, &source.dc, 8, 8, dwRop));
    state.SetBytesProcessed(state.iterations() * 800 * 600 * 4);
    state.SetLabel(dwRop == SRCCOPY ? "SRCCOPY" : "NOTSRCCOPY");
}
BENCHMARK(BM_BitBlt)->Arg(SRCCOPY)->Arg(NOTSRCCOPY);

void BM_PatBlt(benchmark::State& state) {
    Canvas target(800, 600);
    for (auto _ : state)
        benchmark::DoNotOptimize(target.dc.PatBlt(0, 0, 800, 600, WHITENESS));
    state.SetBytesProcessed(state.iterations() * 800 * 600 * 4);
    state.SetLabel("WHITENESS");
}
BENCHMARK(BM_PatBlt);

// A picture as the editor draws one: a 120 x 80 bitmap of 24 bits drawn one to one into a
// bitmap of its size.
void BM_StretchDIBits(benchmark::State& state) {
    constexpr int kWidth = 120, kHeight = 80;
    Canvas target(kWidth, kHeight);
    BITMAPINFO info{};
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = kHeight;
    info.bmiHeader.biBitCount = 24;
    std::vector<unsigned char> bits(DibStride(kWidth, 24) * kHeight);
    for (size_t i = 0; i < bits.size(); ++i)
        bits[i] = static_cast<unsigned char>(i * 7);
    for (auto _ : state) {
        benchmark::DoNotOptimize(target.dc.StretchDIBits(0, 0, kWidth, kHeight, 0, 0, kWidth,
                                                         kHeight, bits.data(), &info,
                                                         DIB_RGB_COLORS, SRCCOPY));
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);  // pixels
}
BENCHMARK(BM_StretchDIBits);

}  // namespace

BENCHMARK_MAIN();
