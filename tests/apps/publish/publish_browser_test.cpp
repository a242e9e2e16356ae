// The published example page opened in headless Chromium: every picture it shows loads.

#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <QString>

#include <cstdlib>
#include <sstream>

#include "publish.h"
#include "publish_fixture.h"

namespace tessel::publish::test {
namespace {

using browser_test::FindChromium;
using browser_test::PercentDecode;

// Runs after the page and its pictures have loaded; one line per image: its address and the
// width the browser decoded (0 for a broken image).
const char kReportScript[] = R"(<script>
addEventListener('load', () => {
  const rows = [...document.images].map((e) => e.getAttribute('src') + '\t' + e.naturalWidth +
                                               'x' + e.naturalHeight);
  const pre = document.createElement('pre');
  pre.id = 'report';
  pre.textContent = encodeURIComponent(rows.join('\n'));
  document.body.appendChild(pre);
});
</script>
)";

class PublishedInBrowser : public TempDir {};

TEST_F(PublishedInBrowser, NoImageOfTheExamplePageIsBroken) {
    const std::string chromium = FindChromium();
    if (chromium.empty()) {
        const char* ci = getenv("CI");
        if (ci && std::string(ci) == "true") FAIL() << "chromium not found on PATH";
        GTEST_SKIP() << "chromium not found on PATH (scripts/setup.sh installs it)";
    }
    const fs::path out = m_dir / "site";
    const PublishReport report =
        PublishHtml(ReadFile(fs::path(TESSEL_EXAMPLES_DIR) / "exam-page.tsm"), TESSEL_EXAMPLES_DIR,
                    out.string());
    ASSERT_TRUE(report.bWritten);
    std::ofstream(out / "index.html", std::ios::binary | std::ios::app) << kReportScript;

    const std::string dir = "'" + m_dir.string() + "'";
    const std::string browser =
        "env -u ASAN_OPTIONS -u UBSAN_OPTIONS -u LSAN_OPTIONS -u LD_PRELOAD timeout 60 '" +
        chromium + "' --headless=new --no-sandbox --disable-gpu --user-data-dir=" + dir +
        "/profile --dump-dom 'file://" + (out / "index.html").string() + "' >" + dir +
        "/dom.html 2>" + dir + "/browser.err";
    const int nWait = std::system(browser.c_str());
    ASSERT_TRUE(WIFEXITED(nWait) && WEXITSTATUS(nWait) == 0) << ReadFile(m_dir / "browser.err");

    const std::string dom = ReadFile(m_dir / "dom.html"), open = "<pre id=\"report\">";
    const size_t nAt = dom.find(open), nEnd = dom.find("</pre>", nAt);
    ASSERT_NE(nEnd, std::string::npos) << dom;
    std::istringstream rows(PercentDecode(dom.substr(nAt + open.size(), nEnd - nAt - open.size())));
    std::vector<std::string> images;
    for (std::string row; std::getline(rows, row);)
        images.push_back(row);
    ASSERT_EQ(images.size(), 2u);
    for (const std::string& row : images) {
        const std::string size = row.substr(row.find('\t') + 1);
        EXPECT_FALSE(size.starts_with("0x")) << "broken image: " << row;
    }
    // The picture's own size, as Qt reads the project's file; the formula drawn at the size
    // its tag gives.
    const QImage map(
        QString::fromStdString((fs::path(TESSEL_EXAMPLES_DIR) / "image" / "map.bmp").string()));
    ASSERT_FALSE(map.isNull());
    EXPECT_EQ(images[0], "Image\\Map.BMP\t" + std::to_string(map.width()) + "x" +
                             std::to_string(map.height()));
    EXPECT_EQ(images[1], "formula\\sum.gif\t96x40");
}

}  // namespace
}  // namespace tessel::publish::test
