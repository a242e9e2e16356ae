// The page on paper: a PDF file of A4 pages, and printing to a printer that writes PDF.

#include <QPrinter>
#include <QString>

#include <cstdlib>

#include "platform/application.h"
#include "publish.h"
#include "publish_fixture.h"

namespace tessel::publish::test {
namespace {

// The pages of a PDF file by its page objects ("/Type /Page", not "/Pages").
int CountPdfPages(const std::string& pdf) {
    int n = 0;
    for (size_t at = pdf.find("/Type /Page"); at != std::string::npos;
         at = pdf.find("/Type /Page", at + 1)) {
        if (pdf.compare(at, 12, "/Type /Pages") != 0) ++n;
    }
    return n;
}

// pdfinfo's page count, -1 when poppler's tools are not installed.
int PdfInfoPages(const fs::path& file, const fs::path& dir) {
    if (std::system("command -v pdfinfo >/dev/null 2>&1") != 0) return -1;
    const fs::path info = dir / "info.txt";
    const std::string command = "pdfinfo '" + file.string() + "' >'" + info.string() + "' 2>&1";
    if (std::system(command.c_str()) != 0) return 0;
    const std::string text = ReadFile(info);
    const size_t at = text.find("Pages:");
    return at == std::string::npos ? 0 : std::atoi(text.c_str() + at + 6);
}

class PaperTest : public TempDir {};

TEST_F(PaperTest, ExamplePageAsPdf) {
    const fs::path pdf = m_dir / "page.pdf";
    const PaperReport report = ExportPdf(ReadFile(fs::path(TESSEL_EXAMPLES_DIR) / "exam-page.tsm"),
                                         TESSEL_EXAMPLES_DIR, pdf.string());
    ASSERT_TRUE(report.bWritten) << report.strError;
    const std::string bytes = ReadFile(pdf);
    EXPECT_TRUE(bytes.starts_with("%PDF-"));
    EXPECT_GE(report.nPages, 1);
    EXPECT_EQ(CountPdfPages(bytes), report.nPages);
    EXPECT_GT(report.nPageHeight, 100);
    const int nInfo = PdfInfoPages(pdf, m_dir);
    if (nInfo >= 0) {
        EXPECT_EQ(nInfo, report.nPages);
    }
}

TEST_F(PaperTest, TallPageIsCutIntoPages) {
    std::string markup;
    for (int i = 0; i < 60; ++i)
        markup += "<Font('Arial',28,0,0,0)><Color(0,0,0)>Line " + std::to_string(i) +
                  "&\n</Color></Font>";
    const fs::path pdf = m_dir / "tall.pdf";
    const PaperReport report = ExportPdf(markup, m_dir.string(), pdf.string());
    ASSERT_TRUE(report.bWritten) << report.strError;
    // 60 rows of 28-pixel text are more than an A4 page holds at 96 pixels to the inch.
    EXPECT_GT(report.nPageHeight, 1000);
    EXPECT_GE(report.nPages, 2);
    EXPECT_EQ(CountPdfPages(ReadFile(pdf)), report.nPages);
}

TEST_F(PaperTest, PdfThatCannotBeWrittenIsReported) {
    const PaperReport report =
        ExportPdf("text", m_dir.string(), (m_dir / "no" / "such" / "dir" / "x.pdf").string());
    EXPECT_FALSE(report.bWritten);
    EXPECT_FALSE(report.strError.empty());
}

TEST_F(PaperTest, PrintsToAPrinterTheCallerSetUp) {
    const fs::path pdf = m_dir / "printed.pdf";
    // A printer needs the application, which the first drawing would otherwise make.
    tessel::platform::EnsureApplication();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    const PaperReport report = PrintPage(
        printer, ReadFile(fs::path(TESSEL_EXAMPLES_DIR) / "exam-page.tsm"), TESSEL_EXAMPLES_DIR);
    ASSERT_TRUE(report.bWritten) << report.strError;
    EXPECT_TRUE(ReadFile(pdf).starts_with("%PDF-"));
    EXPECT_GE(report.nPages, 1);
}

}  // namespace
}  // namespace tessel::publish::test

namespace tessel::publish::test {
namespace {

TEST_F(PaperTest, PageImageIsTheEditorsDrawingOfTheWholePage) {
    std::string strError;
    const std::unique_ptr<PageImage> page =
        DrawPageImage(ReadFile(fs::path(TESSEL_EXAMPLES_DIR) / "exam-page.tsm"),
                      TESSEL_EXAMPLES_DIR, 680, {}, strError);
    ASSERT_TRUE(page) << strError;
    EXPECT_EQ(page->nWidth, 680);
    ASSERT_FALSE(page->rowBottoms.empty());
    EXPECT_EQ(page->rowBottoms.back(), page->nHeight);
    // A page of this size is drawn for paper at three image pixels to the editor's pixel.
    EXPECT_EQ(page->dRatio, kPaperPixelRatio);
    EXPECT_EQ(page->image.width(), 3 * 680);
    EXPECT_EQ(page->image.height(), 3 * page->nHeight);
    if (const char* szKeep = getenv("TESSEL_KEEP_PAGE_IMAGE"))
        page->image.save(QString::fromUtf8(szKeep));
    // The title is navy text; the rest of the page has black text in every part of its height.
    int nNavy = 0, nDarkTop = 0, nDarkBottom = 0;
    for (int y = 0; y < page->image.height(); ++y) {
        for (int x = 0; x < page->image.width(); ++x) {
            const QRgb c = page->image.pixel(x, y);
            nNavy += qRed(c) < 40 && qGreen(c) < 40 && qBlue(c) > 90 && qBlue(c) < 170;
            const bool bDark = qGray(c) < 100;
            (y < page->image.height() / 2 ? nDarkTop : nDarkBottom) += bDark;
        }
    }
    EXPECT_GT(nNavy, 50 * 9);
    EXPECT_GT(nDarkTop, 500 * 9);
    EXPECT_GT(nDarkBottom, 500 * 9);
    // Drawn finer, not enlarged: the edges of the letters fall inside the editor's pixels,
    // so many 3 x 3 blocks of image pixels are not of one colour.
    int nMixed = 0;
    for (int y = 0; y + 3 <= page->image.height(); y += 3) {
        for (int x = 0; x + 3 <= page->image.width(); x += 3) {
            const QRgb first = page->image.pixel(x, y);
            bool bMixed = false;
            for (int i = 0; i < 9 && !bMixed; ++i)
                bMixed = page->image.pixel(x + i % 3, y + i / 3) != first;
            nMixed += bMixed;
        }
    }
    EXPECT_GT(nMixed, 1000);
}

}  // namespace
}  // namespace tessel::publish::test
