// The page on paper: the editor opened headless on it draws the whole page, and the drawing is
// placed on the pages of a PDF file or a printer, cut between rows.

#include <QApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "editor/tessel_edit.h"
#include "image_files.h"
#include "platform/application.h"
#include "platform/gdi.h"
#include "platform/wnd.h"
#include "publish.h"

namespace tessel::publish {
namespace {

// The editor measures and draws in pixels of a 96 dpi screen.
constexpr double kEditorDpi = 96.0;
// The PDF's coordinates: the page is placed at 300 dots to the inch.
constexpr int kPdfDpi = 300;
// The window the editor first lays the page out in, before it is made as tall as the page.
constexpr int kFirstHeight = 1000;
// The tallest drawing made of a page (the editor lays out a limited number of rows anyway).
constexpr int kMaxPageHeight = 16384;
// The most image pixels a page is drawn into, and the longest side of the image.
constexpr double kMaxPaperPixels = 24.0 * 1024 * 1024;
constexpr int kMaxPaperSide = 32000;

// The ratio a page of the size is drawn at on paper: kPaperPixelRatio when its picture fits,
// less for a very large page, never below one.
double PaperRatio(int nWidth, int nHeight) {
    double dRatio = kPaperPixelRatio;
    dRatio = std::min(dRatio, std::sqrt(kMaxPaperPixels / (static_cast<double>(nWidth) * nHeight)));
    dRatio = std::min(dRatio, static_cast<double>(kMaxPaperSide) / std::max(nWidth, nHeight));
    return std::max(1.0, std::floor(dRatio * 4) / 4);
}

// The pixels of a bitmap, all of them (a bitmap of a finer ratio has more than its logical
// size), as a 32-bit image.
std::optional<QImage> BitmapPixels(CBitmap& bitmap) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    if (GetDIBits(nullptr, &bitmap, 0, 0, nullptr, &info, DIB_RGB_COLORS) <= 0) return std::nullopt;
    const int nWidth = info.bmiHeader.biWidth;
    const int nHeight = std::abs(info.bmiHeader.biHeight);
    if (nWidth <= 0 || nHeight <= 0) return std::nullopt;
    QImage image(nWidth, nHeight, QImage::Format_RGB32);
    if (image.isNull() || image.bytesPerLine() != DibStride(nWidth, 32)) return std::nullopt;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biHeight = -nHeight;  // top down, as QImage's rows are
    if (GetDIBits(nullptr, &bitmap, 0, static_cast<unsigned>(nHeight), image.bits(), &info,
                  DIB_RGB_COLORS) != nHeight)
        return std::nullopt;
    return image;
}

}  // namespace

std::unique_ptr<PageImage> DrawPageImage(const std::string& strMarkup,
                                         const std::string& strProjectDir, int nWidth,
                                         const PaperOptions& options, std::string& strError) {
    platform::EnsureApplication();
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        strError =
            "the editor's windows need a QApplication; the program made only a "
            "QGuiApplication";
        return nullptr;
    }
    if (nWidth <= 0 || nWidth > kMaxPageHeight) {
        strError =
            "the page width " + std::to_string(nWidth) + " is not a width the editor lays out";
        return nullptr;
    }
    CWnd host;
    CTesselEdit edit;
    const auto close = [&] {
        if (edit.m_hWnd) edit.DestroyWindow();
        if (host.m_hWnd) host.DestroyWindow();
    };
    if (!host.CreateEx(0, AfxRegisterWndClass(0), "tessel", WS_POPUP | WS_VISIBLE, 0, 0, nWidth,
                       kFirstHeight, nullptr, 0)) {
        strError = "cannot make a window for the editor";
        return nullptr;
    }
    // The editor puts the project directory before file names as it stands.
    if (!strProjectDir.empty()) {
        std::string strDir = strProjectDir;
        if (strDir.back() != '/' && strDir.back() != '\\') strDir += '/';
        edit.SetDirPrj(strDir);
    }
    if (!edit.Edit(host.m_hWnd, CRect(0, 0, nWidth, kFirstHeight), options.crHotLink,
                   strMarkup.c_str(), options.nCharSpace, options.nLineSpace, options.dZoom)) {
        close();
        strError = "cannot open the editor on the page";
        return nullptr;
    }
    const int nHeight = std::clamp(edit.GetWinHeight(), 1, kMaxPageHeight);
    host.MoveWindow(0, 0, nWidth, nHeight);
    edit.Resize(CRect(0, 0, nWidth, nHeight));
    // Laid out in the editor's pixels, drawn finer for paper.
    const double dRatio = PaperRatio(nWidth, nHeight);
    platform::SetPixelRatio(&host, dRatio);

    auto pPage = std::make_unique<PageImage>();
    int y = 0;
    for (int r = 0; r < kMaxRows && !edit.m_Row[r].IsEndMarker(); ++r) {
        y += std::max(0, edit.m_Row[r].nHeight);
        pPage->rowBottoms.push_back(std::min(y, nHeight));
    }
    CBitmap bitmap;
    const bool bCaptured = platform::CaptureWindow(&host, bitmap);
    close();
    if (!bCaptured) {
        strError = "cannot draw the editor's window";
        return nullptr;
    }
    const std::optional<QImage> image = BitmapPixels(bitmap);
    if (!image) {
        strError = "no memory for the page's drawing";
        return nullptr;
    }
    pPage->image = *image;
    pPage->dRatio = static_cast<double>(image->width()) / nWidth;
    pPage->nWidth = nWidth;
    pPage->nHeight = nHeight;
    return pPage;
}

namespace {

// Where the pages end, in the drawing's pixels: after the last row that fits a page of
// nPageHeight; a row taller than a page is cut where the page ends.
std::vector<int> PageBreaks(const PageImage& page, int nPageHeight) {
    std::vector<int> breaks;
    const int nTotal = page.nHeight;
    int nTop = 0;
    while (nTop < nTotal) {
        int nEnd = std::min(nTotal, nTop + nPageHeight);
        if (nEnd < nTotal) {
            int nRowEnd = nTop;
            for (int nBottom : page.rowBottoms)
                if (nBottom > nTop && nBottom <= nEnd) nRowEnd = nBottom;
            if (nRowEnd > nTop) nEnd = nRowEnd;
        }
        breaks.push_back(nEnd);
        nTop = nEnd;
    }
    return breaks;
}

}  // namespace

PaperReport DrawPageOnDevice(QPagedPaintDevice& device, const std::string& strMarkup,
                             const std::string& strProjectDir, const PaperOptions& options) {
    PaperReport report;
    platform::EnsureApplication();
    const double dDeviceDpi = device.logicalDpiX() > 0 ? device.logicalDpiX() : kPdfDpi;
    const int nPaperWidth = device.width(), nPaperHeight = device.height();
    if (nPaperWidth <= 0 || nPaperHeight <= 0) {
        report.strError = "the paper has no room inside its margins";
        return report;
    }
    const int nWidth = options.nWidth > 0 ? options.nWidth
                                          : static_cast<int>(nPaperWidth * kEditorDpi / dDeviceDpi);
    const std::unique_ptr<PageImage> page =
        DrawPageImage(strMarkup, strProjectDir, nWidth, options, report.strError);
    if (!page) return report;
    report.nPageWidth = page->nWidth;
    report.nPageHeight = page->nHeight;

    // At the editor's size on paper (96 pixels to the inch), shrunk when wider than the paper.
    double dScale = dDeviceDpi / kEditorDpi;
    dScale = std::min(dScale, static_cast<double>(nPaperWidth) / page->nWidth);
    const int nPageHeight = std::max(1, static_cast<int>(nPaperHeight / dScale));

    QPainter painter;
    if (!painter.begin(&device)) {
        report.strError = "cannot draw on the paper (the file or the printer cannot be opened)";
        return report;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    int nTop = 0;
    for (int nEnd : PageBreaks(*page, nPageHeight)) {
        if (report.nPages > 0 && !device.newPage()) {
            report.strError = "cannot start page " + std::to_string(report.nPages + 1);
            painter.end();
            return report;
        }
        const double r = page->dRatio;
        const QRectF source(0, nTop * r, page->image.width(), (nEnd - nTop) * r);
        painter.drawImage(QRectF(0, 0, page->nWidth * dScale, (nEnd - nTop) * dScale), page->image,
                          source);
        ++report.nPages;
        nTop = nEnd;
    }
    report.bWritten = painter.end();
    if (!report.bWritten) report.strError = "cannot finish the pages";
    return report;
}

PaperReport ExportPdf(const std::string& strMarkup, const std::string& strProjectDir,
                      const std::string& strPdfPath, const PaperOptions& options) {
    platform::EnsureApplication();
    // Tried first: the writer would only say on standard error that it cannot open the file.
    if (!std::ofstream(strPdfPath, std::ios::binary | std::ios::trunc)) {
        PaperReport report;
        report.strError = "cannot write " + strPdfPath;
        return report;
    }
    QPdfWriter writer(QString::fromStdString(strPdfPath));
    writer.setResolution(kPdfDpi);
    const double dMargin = std::clamp(options.dMarginMm, 0.0, 90.0);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(dMargin, dMargin, dMargin, dMargin),
                                     QPageLayout::Millimeter));
    writer.setCreator("Tessel");
    PaperReport report = DrawPageOnDevice(writer, strMarkup, strProjectDir, options);
    if (!report.bWritten && report.strError.empty()) report.strError = "cannot write " + strPdfPath;
    return report;
}

PaperReport PrintPage(QPrinter& printer, const std::string& strMarkup,
                      const std::string& strProjectDir, const PaperOptions& options) {
    return DrawPageOnDevice(printer, strMarkup, strProjectDir, options);
}

}  // namespace tessel::publish
