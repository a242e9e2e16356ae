#pragma once

// Publishing a page: the HTML page with every picture it shows beside it, a PDF of the page as
// the editor draws it, and printing. Tessel Studio calls these; docs/publish.md describes what
// is written and why.
//
// Markup, picture names and page names are GBK, as pages hold them; paths on this system and
// messages are UTF-8. Nothing here prints anything or throws: what went wrong is in the
// report. A QGuiApplication is made when there is none (text needs one); the PDF and printing
// open the editor headless and need a QApplication, made likewise when the program has none.

#include <QImage>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.h"

class QPrinter;
class QPagedPaintDevice;

namespace tessel::publish {

// The page around the HTML fragment: it declares GBK, the fragment's encoding, and has no
// document type declaration, so that the fragment's font tags and paragraphs are laid out the
// way browsers lay out pages of their kind, and a picture not yet published (a formula's
// picture, say) keeps the size its tag gives instead of shrinking to its alternative text.
inline constexpr std::string_view kHtmlPageHead =
    "<html>\n"
    "<head>\n"
    "<meta charset=\"gbk\">\n"
    "</head>\n"
    "<body>\n";
inline constexpr std::string_view kHtmlPageTail =
    "\n"
    "</body>\n"
    "</html>\n";

// What PublishHtml wrote for one image tag of the page.
struct PublishedFile {
    enum Kind {
        kCopied,     // the picture's file, as it is (a format browsers show)
        kConverted,  // the picture drawn into a PNG (a format browsers do not show)
        kFormula,    // the formula drawn into the picture the page names for it
    };
    Kind nKind = kCopied;
    int nElement = -1;      // the element's place in the page, counted from 0
    std::string strName;    // the element's file name as the page gives it (GBK)
    std::string strSrc;     // the image's address in the written HTML (GBK, as written)
    std::string strPath;    // the file written (UTF-8 path)
    std::string strSource;  // the file it was made from (UTF-8 path)
};

// Something that was not published as the page asks.
struct PublishProblem {
    int nElement = -1;    // -1: the page as a whole
    std::string strName;  // the file name the element gives (GBK), empty for the page
    std::string strWhat;  // UTF-8
};

// An image address of the export that the published page writes differently, and why: the
// picture was converted to PNG, or its name cannot be a file inside the folder a browser
// finds literally (a drive, a root, "..", characters an address gives another meaning).
struct RenamedSrc {
    int nElement = -1;
    std::string strFrom;  // as the export writes it (GBK, attribute decoded)
    std::string strTo;    // as the published page writes it (ASCII)
};

struct PublishReport {
    bool bWritten = false;  // the HTML file was written
    std::string strHtmlPath;
    std::vector<PublishedFile> files;
    std::vector<RenamedSrc> renamed;
    std::vector<PublishProblem> problems;
};

struct PublishOptions {
    // The HTML file's name inside the output folder (UTF-8).
    std::string strPageName = "index.html";
};

// Writes the page as an HTML page into strOutDir (made when missing): the export of the page
// (docs/html.md) in a complete document that declares GBK, the bytes of the export unchanged
// but for image addresses that must change (listed in the report's renamed); each picture the
// page shows copied or converted under the name its image tag gives; each formula drawn into
// the picture its tag names. File names in the page are found from strProjectDir.
PublishReport PublishHtml(const std::string& strMarkup, const std::string& strProjectDir,
                          const std::string& strOutDir, const PublishOptions& options = {});

// How the page is laid out for paper.
struct PaperOptions {
    // The width the editor lays the page out in, in its pixels (96 to the inch); 0: the
    // printable width of the paper. A wider page is shrunk to fit the paper.
    int nWidth = 0;
    double dZoom = 1.0;
    int nCharSpace = 0;
    int nLineSpace = 2;
    COLORREF crHotLink = RGB(0, 0, 255);
    double dMarginMm = 15.0;  // on every side, for the PDF (a printer keeps its own margins)
};

struct PaperReport {
    bool bWritten = false;
    int nPages = 0;
    int nPageWidth = 0;  // the page as the editor drew it, in pixels
    int nPageHeight = 0;
    std::string strError;  // UTF-8, empty when written
};

// The whole page as the editor draws it in a window nWidth pixels wide, made as tall as the
// page: the editor's own drawing, laid out at its 96 pixels to the inch and drawn finer, at
// up to kPaperPixelRatio image pixels to the editor's pixel (fewer for a page so large that
// its picture would not fit in memory), white where it draws nothing. Null on failure, with
// the reason in strError.
struct PageImage;
std::unique_ptr<PageImage> DrawPageImage(const std::string& strMarkup,
                                         const std::string& strProjectDir, int nWidth,
                                         const PaperOptions& options, std::string& strError);

// Image pixels to the editor's pixel for paper: 288 to the inch, about the PDF's 300.
inline constexpr double kPaperPixelRatio = 3.0;

struct PageImage {
    QImage image;  // dRatio image pixels to the editor's pixel
    double dRatio = 1.0;
    int nWidth = 0, nHeight = 0;  // the page in the editor's pixels
    std::vector<int> rowBottoms;  // where each row ends, from the top of the page (editor's pixels)
};

// Opens the editor headless on the page, lets it draw the whole page and writes it to a PDF
// file of A4 pages, cut between rows where it is taller than a page.
PaperReport ExportPdf(const std::string& strMarkup, const std::string& strProjectDir,
                      const std::string& strPdfPath, const PaperOptions& options = {});

// Prints the page on a printer the caller has set up (the studio shows the print dialog
// first); the same drawing as ExportPdf, on the printer's pages within its margins.
PaperReport PrintPage(QPrinter& printer, const std::string& strMarkup,
                      const std::string& strProjectDir, const PaperOptions& options = {});

// The page on any device of pages (a QPdfWriter, a QPrinter) that the caller set up, its
// painting not yet begun.
PaperReport DrawPageOnDevice(QPagedPaintDevice& device, const std::string& strMarkup,
                             const std::string& strProjectDir, const PaperOptions& options);

}  // namespace tessel::publish
