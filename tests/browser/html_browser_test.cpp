// Publishes small pages with the tessel tool, opens them in headless Chromium and checks what a
// reader meets there: the fields, the pictures, the links and the text as the browser lays them
// out. A script added after the page writes a report into the DOM, which Chromium dumps.

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "browser_support.h"

namespace {

namespace fs = std::filesystem;
using tessel::browser_test::Bmp;
using tessel::browser_test::FindChromium;
using tessel::browser_test::Gbk;
using tessel::browser_test::PercentDecode;

const std::string kNbsp = "\u00A0";  // what &nbsp; reads as

// Runs in the page after the tool's output, once the page and its pictures have loaded (the
// DOM is dumped after that). One line per finding, fields separated by tabs; percent-encoded so
// that the DOM dump carries it unchanged. Links and pictures are given relative to the page's
// folder ("./..."). Clicking every radio button in order leaves the last of each group checked,
// which shows how the browser groups them.
const char kReportScript[] = R"(<script>
addEventListener('load', () => {
  const rows = [];
  const dir = location.href.slice(0, location.href.lastIndexOf('/') + 1);
  const here = (url) => decodeURI(url.startsWith(dir) ? './' + url.slice(dir.length) : url);
  for (const e of document.querySelectorAll('input'))
    rows.push(['input', e.type, e.name, e.value, e.type === 'text' ? e.size : '-']);
  const radios = [...document.querySelectorAll('input[type=radio]')];
  radios.forEach((r) => r.click());
  rows.push(['checked', radios.map((r) => (r.checked ? 1 : 0)).join('')]);
  for (const e of document.images)
    rows.push(['img', here(e.src), e.alt, e.getAttribute('width') + 'x' + e.getAttribute('height'),
               e.offsetWidth + 'x' + e.offsetHeight]);
  for (const a of document.links)
    rows.push(['a', here(a.href), a.target, a.textContent || a.querySelector('img').alt]);
  const paragraphs = [...document.querySelectorAll('p')];
  for (const f of document.querySelectorAll('font')) {
    const text = document.createTreeWalker(f, NodeFilter.SHOW_TEXT).nextNode();
    if (!text) continue;  // the empty fonts reopened after a line break
    const e = text.parentElement, s = getComputedStyle(e);
    let underline = false;  // text-decoration is not inherited: look up to the font element
    for (let u = e; u !== f.parentElement; u = u.parentElement)
      underline ||= getComputedStyle(u).textDecorationLine.includes('underline');
    rows.push(['font', f.textContent, s.fontFamily, s.color, s.fontSize,
               (s.fontWeight >= 600 ? 'B' : '') + (s.fontStyle === 'italic' ? 'I' : '') +
               (underline ? 'U' : '')]);
    rows.push(['paragraph', f.textContent, paragraphs.indexOf(f.closest('p'))]);
    rows.push(['top', f.textContent, Math.round(e.getBoundingClientRect().top)]);
  }
  const pre = document.createElement('pre');
  pre.id = 'report';
  pre.textContent = encodeURIComponent(rows.map((r) => r.join('\t')).join('\n'));
  document.body.appendChild(pre);
});
</script>
)";

// A 1 x 1 GIF: the formula pictures the published page refers to are published beside it.
const std::string kGif(
    "GIF89a\x01\0\x01\0\x80\0\0\xff\xff\xff\0\0\0,\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0;", 35);

class HtmlInBrowser : public testing::Test {
  protected:
    void SetUp() override {
        m_chromium = FindChromium();
        if (m_chromium.empty()) {
            // CI must run this test; elsewhere a missing browser only skips it.
            const char* ci = getenv("CI");
            if (ci && std::string(ci) == "true") FAIL() << "chromium not found on PATH";
            GTEST_SKIP() << "chromium not found on PATH (scripts/setup.sh installs it)";
        }
        std::string pattern = (fs::temp_directory_path() / "tessel-browser-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        if (!m_dir.empty()) fs::remove_all(m_dir);
    }

    void Write(const std::string& strName, const std::string& bytes) {
        std::ofstream(m_dir / strName, std::ios::binary) << bytes;
    }
    std::string Read(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Publishes the markup (GBK bytes) as page.html with the pictures of the project folder,
    // opens it in Chromium and keeps the report's rows, grouped by their first field.
    void Open(const std::string& markup, const fs::path& project = "") {
        Write("page.tsm", markup);
        const std::string dir = "'" + m_dir.string() + "'";
        const std::string tool = "cd " + dir + " && '" TESSEL_TOOL "' html page.tsm --page" +
                                 " --project '" + (project.empty() ? m_dir : project).string() +
                                 "' >page.html 2>tool.err";
        ASSERT_EQ(std::system(tool.c_str()), 0) << Read(m_dir / "tool.err");
        std::ofstream(m_dir / "page.html", std::ios::binary | std::ios::app) << kReportScript;

        // Chromium is not built with the sanitizers: their settings are not passed on to it. Its
        // own profile folder lets several tests run at once.
        const std::string browser =
            "env -u ASAN_OPTIONS -u UBSAN_OPTIONS -u LSAN_OPTIONS -u LD_PRELOAD timeout 60 '" +
            m_chromium + "' --headless=new --no-sandbox --disable-gpu --user-data-dir=" + dir +
            "/profile --dump-dom 'file://" + (m_dir / "page.html").string() + "' >" + dir +
            "/dom.html 2>" + dir + "/browser.err";
        const int nWait = std::system(browser.c_str());
        ASSERT_TRUE(WIFEXITED(nWait) && WEXITSTATUS(nWait) == 0) << Read(m_dir / "browser.err");

        const std::string dom = Read(m_dir / "dom.html"), open = "<pre id=\"report\">";
        const size_t nAt = dom.find(open), nEnd = dom.find("</pre>", nAt);
        ASSERT_NE(nEnd, std::string::npos) << dom;
        std::istringstream report(
            PercentDecode(dom.substr(nAt + open.size(), nEnd - nAt - open.size())));
        for (std::string line; std::getline(report, line);) {
            const size_t nTab = line.find('\t');
            m_rows[line.substr(0, nTab)].push_back(line.substr(nTab + 1));
        }
    }

    // The rows of one kind, the fields after the kind separated by tabs.
    std::vector<std::string> Rows(const std::string& kind) { return m_rows[kind]; }

    // The laid-out top of the text of the font whose text is given, -1 when there is none.
    int Top(const std::string& text) {
        for (const std::string& row : m_rows["top"]) {
            if (row.starts_with(text + "\t")) return std::stoi(row.substr(row.rfind('\t') + 1));
        }
        return -1;
    }

    std::string m_chromium;
    fs::path m_dir;
    std::map<std::string, std::vector<std::string>> m_rows;
};

TEST_F(HtmlInBrowser, FieldsCheckBoxesAndRadioButtonGroups) {
    ASSERT_NO_FATAL_FAILURE(
        Open(Gbk("答案：<Edit(100,20,'东海',0,16777215,0)><Edit(60,20,'2:1',0,16777215,0)>"
                 "<Check(1)><Check(0)>"
                 "<Choice(1,2)><Check(101)><Check(100)>"
                 "<Choice(2,2)><Check(100)><Check(101)>")));
    EXPECT_EQ(Rows("input"), (std::vector<std::string>{
                                 "text\t东海\t\t12",
                                 "text\t2:1\t\t7",
                                 "checkbox\tcheckbox\tcheckbox\t-",
                                 "checkbox\tcheckbox\tcheckbox\t-",
                                 "radio\tradioButton1\tradiobutton\t-",
                                 "radio\tradioButton1\tradiobutton\t-",
                                 "radio\tradioButton2\tradiobutton\t-",
                                 "radio\tradioButton2\tradiobutton\t-",
                             }));
    // Each Choice's buttons form a group of their own: one button checked in each.
    EXPECT_EQ(Rows("checked"), std::vector<std::string>{"0101"});
}

TEST_F(HtmlInBrowser, TextKeepsItsFontsColoursAndLineBreaks) {
    Write("pic.bmp", Bmp(40, 20));
    fs::create_directories(m_dir / "formula");
    Write("formula/sum.gif", kGif);
    ASSERT_NO_FATAL_FAILURE(
        Open(Gbk("<Font('黑体',22,0,1,0)><Color(0,0,128)>物理 第一行\\n</Color></Font>"
                 "<Font('Times New Roman',12,1,0,1)><Color(255,0,0)>Second line</Color></Font>"
                 "<Font('楷体_GB2312',16,0,0,0)><Color(0,128,0)>说明：</Color></Font>"
                 "<Image('pic.bmp',0,150)><Formula('Formula\\Sum.fml',50,96,40)>")));
    EXPECT_EQ(Rows("font"),
              (std::vector<std::string>{
                  "物理" + kNbsp + "第一行\t黑体\trgb(0, 0, 128)\t18px\tB",
                  "Second" + kNbsp + "line\t\"Times New Roman\"\trgb(255, 0, 0)\t13px\tIU",
                  "说明：\t楷体_GB2312\trgb(0, 128, 0)\t16px\t",
              }));
    // The line break starts a paragraph, laid out below the first line.
    EXPECT_EQ(Rows("paragraph"),
              (std::vector<std::string>{"物理" + kNbsp + "第一行\t-1", "Second" + kNbsp + "line\t0",
                                        "说明：\t0"}));
    EXPECT_GT(Top("Second" + kNbsp + "line"), Top("物理" + kNbsp + "第一行"));
    // The picture and the formula's picture take the sizes written for them; the backslash
    // of the formula's file name reads as a folder separator.
    EXPECT_EQ(Rows("img"), (std::vector<std::string>{
                               "./pic.bmp\tpic.bmp\t60x30\t60x30",
                               "./formula/sum.gif\tFormula\\Sum.fml\t48x20\t48x20",
                           }));
}

TEST_F(HtmlInBrowser, HotLinksBecomeAnchorsWithTheirTargets) {
    Write("pic.bmp", Bmp(8, 8));
    ASSERT_NO_FATAL_FAILURE(Open(
        Gbk("<HotLink(0,'第4页')><Font('宋体',12,0,0,1)><Color(128,0,128)>下一页</Color></Font>"
            "</HotLink><HotLink(1,100,80,620,460,'地图')><Image('pic.bmp',0,100)></HotLink>"
            "<HotLink(2,400,300,'注释1')>注释</HotLink><HotLink(3,2,'第3页')>换一题</HotLink>"
            "<HotLink(4,'功能')>功能</HotLink><HotLink(5,'功能页')>计算器</HotLink>"
            "<HotLink(10,'Sound\\Bell.wav',0,0)>听读音</HotLink><HotLink(20)>关闭</HotLink>"
            "<HotLink(21,0,0,9,9,'分')>评分</HotLink>"
            "<HotLink(23,'calc.exe','','C:\\Windows',0,0)>calc</HotLink>"
            "<HotLink(30,'http://www.example.edu.cn/physics/')>网站</HotLink>"
            "<HotLink(31)>返回</HotLink>")));
    // Codes 4, 10 and 21 make no anchor: their texts stay plain.
    EXPECT_EQ(Rows("a"), (std::vector<std::string>{
                             "./第4页.htm\t\t下一页",
                             "./地图.htm\t_blank\tpic.bmp",
                             "./注释1.htm\t_blank\t注释",
                             "javascript:changeSubPage(2,第3页.htm)\t\t换一题",
                             "./功能页.htm\t_blank\t计算器",
                             "./window.close()\t\t关闭",
                             "./calc.exe\t\tcalc",
                             "http://www.example.edu.cn/physics/\t\t网站",
                             "./parent.history.back()\t\t返回",
                         }));
    // The link's text keeps the colour of its markup, not the browser's link colour.
    ASSERT_FALSE(Rows("font").empty());
    EXPECT_EQ(Rows("font")[0], "下一页\t宋体\trgb(128, 0, 128)\t13px\tU");
}

// The example page, its pictures published beside it (under the names the page gives them).
TEST_F(HtmlInBrowser, ExamplePage) {
    fs::create_directories(m_dir / "Image");
    fs::copy_file(fs::path(TESSEL_EXAMPLES) / "image" / "map.bmp", m_dir / "Image" / "Map.BMP");
    // The formula's picture is not published beside the page: its box keeps its size.
    ASSERT_NO_FATAL_FAILURE(
        Open(Read(fs::path(TESSEL_EXAMPLES) / "exam-page.tsm"), TESSEL_EXAMPLES));

    const std::vector<std::string> inputs = Rows("input");
    ASSERT_EQ(inputs.size(), 10u);
    EXPECT_EQ(inputs[2], "text\t东海\t\t10");
    EXPECT_EQ(inputs[4], "checkbox\tcheckbox\tcheckbox\t-");
    for (size_t i = 6; i < 10; ++i)
        EXPECT_EQ(inputs[i], "radio\tradioButton1\tradiobutton\t-");
    EXPECT_EQ(Rows("checked"), std::vector<std::string>{"0001"});
    EXPECT_EQ(Rows("img"), (std::vector<std::string>{
                               "./Image/Map.BMP\tImage\\Map.BMP\t96x64\t96x64",
                               "./formula/sum.gif\tFormula\\Sum.fml\t96x40\t96x40",
                           }));
    EXPECT_EQ(Rows("a").size(), 9u);
    ASSERT_FALSE(Rows("font").empty());
    EXPECT_EQ(Rows("font")[0],
              "物理与化学" + kNbsp + "第三单元测验" + kNbsp + "\t黑体\trgb(0, 0, 128)\t18px\tB");
}

}  // namespace
