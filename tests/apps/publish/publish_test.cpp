// The published HTML page: every image it names is a file in the folder under that exact
// name, read back by Qt's own image readers.

#include <QImage>
#include <QImageReader>
#include <QString>

#include <algorithm>

#include "metafile_bytes.h"
#include "publish.h"
#include "publish_fixture.h"

namespace tessel::publish::test {
namespace {

QImage ReadImage(const fs::path& file, QByteArray* pFormat = nullptr) {
    QImageReader reader(QString::fromStdString(file.string()));
    reader.setDecideFormatFromContent(true);
    // The format the content shows, asked before reading (the reader forgets it afterwards).
    if (pFormat) *pFormat = reader.format();
    return reader.read();
}

std::string LowerExtension(const std::string& name) {
    std::string ext = name.substr(name.rfind('.') + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

class PublishHtmlTest : public TempDir {};

TEST_F(PublishHtmlTest, ExamplePageHasEveryPictureItNames) {
    const std::string markup = ReadFile(fs::path(TESSEL_EXAMPLES_DIR) / "exam-page.tsm");
    const fs::path out = m_dir / "site";
    const PublishReport report = PublishHtml(markup, TESSEL_EXAMPLES_DIR, out.string());
    ASSERT_TRUE(report.bWritten);
    EXPECT_TRUE(report.problems.empty()) << report.problems.front().strWhat;
    EXPECT_EQ(report.strHtmlPath, (out / "index.html").string());

    const std::string html = ReadFile(out / "index.html");
    EXPECT_NE(html.find("<meta charset=\"gbk\">"), std::string::npos);
    EXPECT_TRUE(html.starts_with("<html>"));
    // The page's picture and its formula's picture (docs/html.md names them).
    const std::vector<std::string> srcs = ImageSources(html);
    EXPECT_EQ(srcs, (std::vector<std::string>{"Image\\Map.BMP", "formula\\sum.gif"}));
    for (const std::string& src : srcs) {
        const fs::path file = FileOfSource(out, src);
        ASSERT_TRUE(fs::is_regular_file(file)) << file;
        QByteArray format;
        const QImage image = ReadImage(file, &format);
        ASSERT_FALSE(image.isNull()) << file;
        EXPECT_GT(image.width(), 0);
        EXPECT_GT(image.height(), 0);
        // Written in the format its name says.
        EXPECT_EQ(format.toStdString(), LowerExtension(src)) << file;
    }
    // The formula is drawn: black strokes on white.
    const QImage formula = ReadImage(out / "formula" / "sum.gif");
    int nDark = 0;
    for (int y = 0; y < formula.height(); ++y)
        for (int x = 0; x < formula.width(); ++x)
            nDark += qGray(formula.pixel(x, y)) < 128;
    EXPECT_GT(nDark, 20);
    // Drawn at the size its tag gives it (96 x 40 in the example page).
    EXPECT_EQ(formula.size(), QSize(96, 40));
    // The picture is the project's file, copied as it is.
    EXPECT_EQ(ReadFile(out / "Image" / "Map.BMP"),
              ReadFile(fs::path(TESSEL_EXAMPLES_DIR) / "image" / "map.bmp"));
    EXPECT_TRUE(report.renamed.empty());
    ASSERT_EQ(report.files.size(), 2u);
    EXPECT_EQ(report.files[0].nKind, PublishedFile::kCopied);
    EXPECT_EQ(report.files[1].nKind, PublishedFile::kFormula);
}

TEST_F(PublishHtmlTest, MissingPictureIsReportedAndThePageStillPublished) {
    WriteFile(m_dir / "project" / "pic.bmp", Bmp(10, 6));
    const std::string markup =
        Gbk("前<Image('Image\\Gone.bmp',0,100)>后<Image('Pic.BMP',0,200)>"
            "<Formula('Formula\\None.fml',100,30,20)>");
    const fs::path out = m_dir / "out";
    const PublishReport report =
        PublishHtml(markup, (m_dir / "project").string(), out.string(), {.strPageName = "p.htm"});
    ASSERT_TRUE(report.bWritten);
    ASSERT_EQ(report.problems.size(), 2u);
    EXPECT_EQ(report.problems[0].nElement, 1);
    EXPECT_EQ(report.problems[0].strName, "Image\\Gone.bmp");
    EXPECT_EQ(report.problems[1].strName, "Formula\\None.fml");
    const std::string html = ReadFile(out / "p.htm");
    EXPECT_NE(html.find(Gbk("后")), std::string::npos);
    // The picture that is there is published under the name the page gives it.
    EXPECT_EQ(ImageSources(html), (std::vector<std::string>{"Pic.BMP", "formula\\none.gif"}));
    EXPECT_EQ(ReadImage(out / "Pic.BMP").size(), QSize(10, 6));
}

TEST_F(PublishHtmlTest, MetafileBecomesPng) {
    // A placeable metafile of an inch by half an inch, filled red.
    metafile::test::WmfBuilder wmf;
    wmf.Rec(0x02FC, {0, 0x00FF, 0x0000, 0})  // a solid red brush
        .Rec(0x012D, {0})                    // selected
        .Rec(0x041B, {720, 1440, 0, 0});     // a rectangle over the whole picture
    const std::vector<std::uint8_t> bytes = wmf.Build({0, 0, 1440, 720}, 1);
    WriteFile(m_dir / "project" / "pictures" / "chart.wmf",
              std::string(bytes.begin(), bytes.end()));
    const fs::path out = m_dir / "out";
    const PublishReport report = PublishHtml(Gbk("<Image('Pictures\\Chart.WMF',0,100)>"),
                                             (m_dir / "project").string(), out.string());
    ASSERT_TRUE(report.bWritten);
    EXPECT_TRUE(report.problems.empty());
    const std::vector<std::string> srcs = ImageSources(ReadFile(out / "index.html"));
    ASSERT_EQ(srcs.size(), 1u);
    EXPECT_EQ(srcs[0], "Pictures\\Chart.WMF.png");
    QByteArray format;
    const QImage image = ReadImage(FileOfSource(out, srcs[0]), &format);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(format, "png");
    EXPECT_GT(image.width(), 0);
    EXPECT_GT(image.height(), 0);
    const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
    EXPECT_EQ(qRed(centre), 255);
    EXPECT_EQ(qGreen(centre), 0);
    ASSERT_EQ(report.renamed.size(), 1u);
    EXPECT_EQ(report.renamed[0].strFrom, "Pictures\\Chart.WMF");
    EXPECT_EQ(report.renamed[0].strTo, "Pictures\\Chart.WMF.png");
    EXPECT_FALSE(fs::exists(out / "Pictures" / "Chart.WMF"));
}

TEST_F(PublishHtmlTest, NamesOutsideTheFolderAreRenamedInsideIt) {
    WriteFile(m_dir / "project" / "up.bmp", Bmp(4, 4));
    WriteFile(m_dir / "project" / "course" / "pic.bmp", Bmp(5, 5));
    WriteFile(m_dir / "project" / "course" / "odd#1.bmp", Bmp(6, 6));
    const fs::path project = m_dir / "project" / "course";
    const fs::path out = m_dir / "out";
    const PublishReport report =
        PublishHtml(Gbk("<Image('..\\up.bmp',0,100)><Image('C:\\Course\\pic.bmp',0,100)>"
                        "<Image('odd#1.bmp',0,100)>"),
                    project.string(), out.string());
    ASSERT_TRUE(report.bWritten);
    EXPECT_TRUE(report.problems.empty());
    const std::vector<std::string> srcs = ImageSources(ReadFile(out / "index.html"));
    ASSERT_EQ(srcs.size(), 3u);
    for (const std::string& src : srcs) {
        const fs::path file = FileOfSource(out, src);
        // Inside the folder, and a name no browser reads otherwise.
        EXPECT_TRUE(fs::weakly_canonical(file).string().starts_with(out.string())) << src;
        EXPECT_EQ(src.find_first_of(":#%?\\."), src.rfind('.')) << src;
        EXPECT_FALSE(ReadImage(file).isNull()) << src;
    }
    EXPECT_EQ(ReadImage(FileOfSource(out, srcs[0])).size(), QSize(4, 4));
    EXPECT_EQ(ReadImage(FileOfSource(out, srcs[2])).size(), QSize(6, 6));
    EXPECT_EQ(report.renamed.size(), 3u);
    EXPECT_FALSE(fs::exists(m_dir / "up.bmp"));
}

TEST_F(PublishHtmlTest, ChineseNamesArePublishedUnderTheirUtf8Form) {
    WriteFile(m_dir / "project" / "图片" / "地图.bmp", Bmp(7, 3));
    const fs::path out = m_dir / "out";
    const PublishReport report = PublishHtml(Gbk("<Image('图片\\地图.BMP',0,100)>"),
                                             (m_dir / "project").string(), out.string());
    ASSERT_TRUE(report.bWritten);
    EXPECT_TRUE(report.problems.empty());
    EXPECT_EQ(ImageSources(ReadFile(out / "index.html")),
              std::vector<std::string>{Gbk("图片\\地图.BMP")});
    EXPECT_EQ(ReadImage(out / "图片" / "地图.BMP").size(), QSize(7, 3));
}

TEST_F(PublishHtmlTest, BadInputNeverStopsThePublishing) {
    const fs::path out = m_dir / "out";
    for (const std::string& markup :
         {std::string(), std::string("<Image("), std::string("<Image('\\\\',0,100)>"),
          std::string("<Formula('',100,99999999,99999999)>"), std::string("\xB0<Img SRC=\"x\">"),
          std::string("<Image('/dev/zero',0,100)><Formula('/dev/zero',100,5,5)>")}) {
        const PublishReport report = PublishHtml(markup, m_dir.string(), out.string());
        EXPECT_TRUE(report.bWritten) << markup;
    }
    const PublishReport bad =
        PublishHtml("x", m_dir.string(), out.string(), {.strPageName = "a/b"});
    EXPECT_FALSE(bad.bWritten);
    EXPECT_FALSE(bad.problems.empty());
}

}  // namespace
}  // namespace tessel::publish::test
