// What the editor benchmarks share (see editor_page.h).

#include "editor_page.h"

#include <errno.h>
#include <unistd.h>

#include <QColor>
#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QImage>
#include <QMessageLogContext>
#include <QPainter>
#include <QScrollBar>
#include <QStringList>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextLength>
#include <QTextTable>
#include <QTextTableFormat>
#include <QUrl>
#include <QVector>
#include <QWidget>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "document/picture_size.h"
#include "editor/positions.h"
#include "platform/application.h"
#include "platform/fonts.h"
#include "platform/gbk.h"
#include "platform/user_input.h"
#include "platform/window_qt.h"
#include "repeated.h"
#include "resources/bitmaps.h"

namespace tessel::bench {

void Fail(const std::string& strWhat) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, strWhat.c_str());
    std::exit(1);
}

// --- The page -------------------------------------------------------------------------------

namespace {

// One section of the exam page, numbered n (UTF-8; the whole page is converted to GBK). Text
// outside Font and Color tags is in the reader's default format, 宋体 12 in black: that keeps
// the page's markup within what the reader takes.
std::string Section(int n) {
    const std::string s = std::to_string(n);
    std::string m;
    m += "<Font('黑体',18,0,1,0)><Color(128,0,0)>第" + s + "节 力与运动 Section " + s +
         ": Force and Motion\\n</Color></Font>";
    m += "阅读下面的材料，回答问题。物体在不受外力作用时，总保持静止状态或匀速直线运动状态，这就是"
         "牛顿第一定律，也叫惯性定律。惯性是物体本身的一种属性，一切物体在任何情况下都具有惯性，"
         "质量是惯性大小的唯一量度。<Font('宋体',12,0,1,0)><Color(192,0,0)>注意：</Color></Font>"
         "<Font('宋体',12,0,0,1)>力不是维持物体运动的原因，而是改变物体运动状态的原因。\\n</Font>";
    m += "<Font('Times New Roman',14,1,0,0)><Color(0,0,160)>Newton's first law: an object at "
         "rest stays at rest, and an object in motion stays in motion with the same speed and in "
         "the same direction, unless it is acted upon by an unbalanced force.\\n</Color></Font>";
    m += "<Font('Arial',12,0,1,1)><Color(0,128,0)>Key words:</Color></Font><Font('Arial',12,1,0,0)>"
         " inertia, mass, force, acceleration. </Font><Font('Arial',10,0,0,0)><Color(96,96,96)>"
         "Read the map and answer the questions below it.\\n</Color></Font>";
    m += "<Image('Image\\Map.BMP',1,80)><Font('楷体_GB2312',14,0,0,0)><Color(128,64,0)> 图" + s +
         " 某地区地形图（比例尺 1:50000） </Color></Font><Image('Image\\Map.BMP',0,50)>\\n";
    m += "<Font('黑体',14,0,1,0)><Color(255,0,0)>一、填空题 Fill in the blanks\\n</Color></Font>";
    m += "1. 水的化学式是H<FootNote(1)>2</FootNote>O，分子中氢原子与氧原子的个数比为"
         "<Edit(60,20,'2:1',0,16777215,0)>。\\n2. 若 x<FootNote(0)>2</FootNote> = 9 且 x &> 0，"
         "则 x = <Edit(40,20,'3',255,16777215,4)>。\\n3. 计算 "
         "<Formula('Formula\\Sum.fml',100,96,40)> = <Edit(80,20,'5050',0,16777215,0)>。\\n";
    m += "<Font('黑体',14,0,1,0)><Color(255,0,0)>二、判断题 True or false\\n</Color></Font>";
    m += "1. 光在真空中的传播速度约为 3×10<FootNote(0)>8</FootNote> m/s。 <Check(1)>\\n"
         "<Font('Times New Roman',12,0,0,0)>2. The angles of a triangle add up to 360°. </Font>"
         "<Check(0)>\\n";
    m += "<Font('黑体',14,0,1,0)><Color(255,0,0)>三、选择题 Multiple choice\\n</Color></Font>";
    m += "下列物质中属于纯净物的是（    ）\\n<Choice(2,4)><Check(100)> A. 空气  <Check(101)> B. "
         "蒸馏水  "
         "<Check(100)> C. 海水  <Check(100)> D. 石灰水\\n";
    m += "<MultiColumn(2,10,280,280)><StartColumn><Font('楷体_GB2312',12,0,0,0)><Color(128,64,0)>"
         "化学方程式：</Color></Font>\\n2H<FootNote(1)>2</FootNote> + O<FootNote(1)>2</FootNote> = "
         "2H<FootNote(1)>2</FootNote>O<EndColumn><StartColumn><Font('Times New Roman',12,1,0,0)>"
         "Einstein: E = mc<FootNote(0)>2</FootNote></Font><Font('Arial',10,0,0,0)>"
         "<Color(0,128,0)>\\nTom && Jerry: a &< b</Color></Font><EndColumn>";
    return m;
}

// An answer line: one row with a fill-in field.
std::string AnswerLine(int n) {
    return std::to_string(n) + ". 简答 Short answer: <Edit(300,20,'',0,16777215,0)>\\n";
}

}  // namespace

OpenEditor::OpenEditor(const std::string& strMarkup) {
    tessel::platform::EnsureApplication();
    if (!host.CreateEx(0, AfxRegisterWndClass(0), "bench", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                       kHeight, nullptr, 0))
        Fail("cannot make the host window");
    edit.SetDirPrj(TESSEL_EXAMPLE_DIR);
    if (!edit.Edit(host.m_hWnd, CRect(0, 0, kWidth, kHeight), RGB(0, 0, 255), strMarkup.c_str(), 0,
                   2, 1.0))
        Fail("cannot open the editor");
}

OpenEditor::~OpenEditor() {
    if (edit.m_hWnd) edit.DestroyWindow();
    if (host.m_hWnd) host.DestroyWindow();
}

int RowsInUse(const CTesselEdit& edit) {
    int r = 0;
    while (r < kMaxRows && !edit.m_Row[r].IsEndMarker())
        ++r;
    return r;
}

namespace {

int RowsOf(const std::string& strUtf8) {
    OpenEditor open(tessel::platform::Utf8ToGbk(strUtf8));
    return RowsInUse(open.edit);
}

}  // namespace

// The page's markup (GBK): whole sections below 128 rows, then answer lines up to 128.
std::string BuildPage() {
    std::string strPage;
    int nRows = 0;
    for (int n = 1; n <= kMaxFrames; ++n) {
        std::string strNext = strPage + Section(n);
        const int nNext = RowsOf(strNext);
        if (nNext >= kMaxRows) break;
        strPage = std::move(strNext);
        nRows = nNext;
    }
    if (nRows == 0) Fail("not even one section fits in the rows the editor lays out");
    for (int n = 1; nRows < kMaxRows; ++n) {
        std::string strNext = strPage + AnswerLine(n);
        const int nNext = RowsOf(strNext);
        if (nNext != nRows + 1) Fail("an answer line does not add exactly one row");
        strPage = std::move(strNext);
        nRows = nNext;
    }
    bool bLossy = false;
    std::string strGbk = tessel::platform::Utf8ToGbk(strPage, &bLossy);
    if (bLossy) Fail("the page has characters GBK cannot hold");
    if (strGbk.size() > kReaderKeeps)
        Fail("the page is longer than the reader takes: " + std::to_string(strGbk.size()) +
             " bytes");
    return strGbk;
}

// The column editors of a frame element, left to right (missing ones left out).
std::vector<CTesselEdit*> ColumnsOf(CTesselEdit& edit, const CLink& frame) {
    std::vector<CTesselEdit*> columns;
    const int n = frame.m_Command[0].nValue;
    if (n < 0 || n > kMaxColumns) return columns;
    const int f = frame.m_Command[n + 2].nValue;
    if (f < 0 || f >= kMaxFrames) return columns;
    for (int i = 0; i < n; ++i)
        if (edit.m_pChildEdit[f][i]) columns.push_back(edit.m_pChildEdit[f][i]);
    return columns;
}

void CheckFullPage(const CTesselEdit& edit) {
    if (RowsInUse(edit) != kMaxRows || edit.m_Row[kMaxRows - 1].IsEndMarker() ||
        edit.m_Row[kMaxRows - 1].nHeight <= 0)
        Fail("the page does not take all 128 rows");
}

int PageElements(CTesselEdit& edit) {
    int n = tessel::editor::LinkCount(*edit.m_pList);
    for (auto& frame : edit.m_pChildEdit)
        for (CTesselEdit* pColumn : frame)
            if (pColumn && pColumn->m_pList) n += tessel::editor::LinkCount(*pColumn->m_pList);
    return n;
}

// --- The peer's document --------------------------------------------------------------------

QString FromGbk(std::string_view gbk) {
    return QString::fromStdString(tessel::platform::GbkToUtf8(gbk));
}

PeerBuilder::PeerBuilder(CTesselEdit& edit, QTextDocument& doc) : m_edit(edit), m_doc(doc) {
    LOGFONT song = {};
    std::strcpy(song.lfFaceName, tessel::platform::Utf8ToGbk("宋体").c_str());
    song.lfHeight = -12;
    m_strSong = QString::fromStdString(tessel::platform::ResolvedFamily(song));
}

void PeerBuilder::Build() {
    m_doc.setDocumentMargin(0);
    m_doc.setTextWidth(kWidth);
    QTextCursor cursor(&m_doc);
    AddList(cursor, m_edit, m_edit.m_pList);
}

void PeerBuilder::AddList(QTextCursor& cursor, CTesselEdit& editor, CMyList* pList) {
    const bool bOwnList = pList == m_edit.m_pList;
    for (pList->First(); pList->IsInList(); pList->Next()) {
        const CLink& link = *pList->GetCurr();
        if (bOwnList) m_linkStarts.push_back(cursor.position());
        switch (link.m_nKind) {
            case kKindText:
                AddText(cursor, editor, link);
                break;
            case kKindImage: {
                int w = 0, h = 0;
                if (!tessel::QueryPictureSize(link.m_pPicture.get(), &w, &h))
                    Fail("a picture of the page did not load");
                const int z = link.m_Command[2].nValue;
                AddImage(cursor, PictureResource(link.m_Command[0].strText), w * z / 100,
                         h * z / 100);
                break;
            }
            case kKindFormula: {
                const int z = link.m_Command[1].nValue;
                const int w = link.m_Command[2].nValue * z / 100;
                const int h = link.m_Command[3].nValue * z / 100;
                if (w <= 0 || h <= 0) Fail("a formula of the page did not load");
                AddImage(cursor, FramedResource(w, h), w, h);
                break;
            }
            case kKindEdit: {
                const int w = link.m_Command[0].nValue, h = link.m_Command[1].nValue;
                AddImage(cursor, FramedResource(w, h), w, h);
                break;
            }
            case kKindCheck: {
                const int nState = link.m_Command[0].nValue;
                const unsigned nId = nState == 1 || nState == 101 ? 532u
                                     : nState == 0                ? 534u
                                                                  : 533u;
                AddBitmap(cursor, nId);
                break;
            }
            case kKindChoice:
                AddBitmap(cursor, 438);
                break;
            case kKindColumnFrame:
                AddFrame(cursor, link);
                break;
            default:
                Fail("the page has an element the peer does not build: kind " +
                     std::to_string(link.m_nKind));
        }
    }
}

void PeerBuilder::AddText(QTextCursor& cursor, CTesselEdit& editor, const CLink& link) {
    const LOGFONT lf = editor.TextFont(&link, false);
    const std::string strFamily = tessel::platform::ResolvedFamily(lf);
    QStringList families{QString::fromStdString(strFamily)};
    if (families.front() != m_strSong && strFamily.find("CJK") == std::string::npos)
        families.append(m_strSong);
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(std::abs(lf.lfHeight));
    font.setWeight(lf.lfWeight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    QTextCharFormat format;
    format.setFont(font);
    format.setForeground(
        link.m_HotLink[0].nValue == kNoHotLink
            ? QColor(link.m_Color[0].nValue, link.m_Color[1].nValue, link.m_Color[2].nValue)
            : QColor(0, 0, 255));
    if (link.m_FootNote[0].nValue == kFootNoteRaised)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (link.m_FootNote[0].nValue == kFootNoteLowered)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    const std::string& text = link.m_Command[0].strText;
    std::size_t nFrom = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool bEnd = i == text.size();
        if (!bEnd && static_cast<unsigned char>(text[i]) >= 0x80) {
            ++i;  // the second byte of a two-byte character is never a line feed
            continue;
        }
        if (!bEnd && text[i] != '\n') continue;
        if (i > nFrom)
            cursor.insertText(FromGbk(std::string_view(text).substr(nFrom, i - nFrom)), format);
        if (!bEnd) cursor.insertBlock();
        nFrom = i + 1;
    }
}

void PeerBuilder::AddImage(QTextCursor& cursor, const QString& strName, int w, int h) {
    QTextImageFormat format;
    format.setName(strName);
    format.setWidth(w);
    format.setHeight(h);
    cursor.insertImage(format);
    ++m_nImages;
}

QString PeerBuilder::PictureResource(const std::string& strFile) {
    QString strName = FromGbk(strFile).replace('\\', '/').toLower();
    if (!m_names.contains(strName)) {
        QImage image(QString(TESSEL_EXAMPLE_DIR "/") + strName);
        if (image.isNull()) Fail("Qt cannot read the picture " + strName.toStdString());
        m_doc.addResource(QTextDocument::ImageResource, QUrl(strName), image);
        m_names.insert(strName);
    }
    return strName;
}

QString PeerBuilder::FramedResource(int w, int h) {
    const QString strName = QString("framed-%1x%2").arg(w).arg(h);
    if (!m_names.contains(strName)) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setPen(Qt::black);
        painter.drawRect(0, 0, w - 1, h - 1);
        painter.end();
        m_doc.addResource(QTextDocument::ImageResource, QUrl(strName), image);
        m_names.insert(strName);
    }
    return strName;
}

void PeerBuilder::AddBitmap(QTextCursor& cursor, unsigned nId) {
    const QString strName = QString("bitmap-%1").arg(nId);
    QSize size;
    if (auto it = m_sizes.find(strName); it != m_sizes.end()) {
        size = it->second;
    } else {
        const auto bytes = tessel::resources::BitmapResource(nId);
        QImage image = QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), "BMP");
        if (image.isNull()) Fail("Qt cannot read bitmap " + std::to_string(nId));
        size = image.size();
        m_doc.addResource(QTextDocument::ImageResource, QUrl(strName), image);
        m_sizes.emplace(strName, size);
    }
    AddImage(cursor, strName, size.width(), size.height());
}

void PeerBuilder::AddFrame(QTextCursor& cursor, const CLink& frame) {
    const std::vector<CTesselEdit*> columns = ColumnsOf(m_edit, frame);
    const int n = frame.m_Command[0].nValue;
    if (columns.empty() || static_cast<int>(columns.size()) != n)
        Fail("a frame of the page has no column editors");
    QTextTableFormat format;
    QVector<QTextLength> widths;
    for (int i = 0; i < n; ++i)
        widths.append(QTextLength(QTextLength::FixedLength, frame.m_Command[i + 2].nValue));
    format.setColumnWidthConstraints(widths);
    format.setCellSpacing(frame.m_Command[1].nValue);
    format.setCellPadding(0);
    format.setBorder(0);
    format.setMargin(0);
    QTextTable* pTable = cursor.insertTable(1, n, format);
    for (int i = 0; i < n; ++i) {
        QTextCursor cell = pTable->cellAt(0, i).firstCursorPosition();
        AddList(cell, *columns[i], columns[i]->m_pList);
    }
    cursor.movePosition(QTextCursor::End);
    ++m_nTables;
}

int PeerBuilder::PeerPosition(const TEXTPOS& p) const {
    if (p.nLink < 0 || p.nLink >= static_cast<int>(m_linkStarts.size())) return -1;
    const CLink* pLink = tessel::editor::LinkAt(*m_edit.m_pList, p.nLink);
    if (!pLink || pLink->m_nKind != kKindText) return -1;
    // Every character of the text is one place of the peer's, a line feed included (it ends a
    // block there).
    const std::string& text = pLink->m_Command[0].strText;
    const int nBytes = tessel::editor::OffsetOf(text, p.nWord, p.nChar);
    return m_linkStarts[p.nLink] +
           static_cast<int>(FromGbk(std::string_view(text).substr(0, nBytes)).size());
}

// --- The console output ---------------------------------------------------------------------

LeastTimeReporter::LeastTimeReporter()
    : ConsoleReporter(isatty(fileno(stdout)) ? OO_Color : OO_None) {}

void LeastTimeReporter::ReportRuns(const std::vector<Run>& runs) {
    m_times.Note(runs);
    ConsoleReporter::ReportRuns(runs);
}

double LeastTimeReporter::Least(const std::string& strName) const {
    return m_times.Least(strName);
}

void LeastTimeReporter::PrintLeast() const {
    std::printf("\nLeast CPU time per iteration:\n");
    for (const auto& [strName, times] : m_times.All())
        std::printf("  %-26s %9.1f us\n", strName.c_str(), times.dCpu);
}

namespace {

QtMessageHandler g_pQtHandler = nullptr;

void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& strMessage) {
    if (strMessage == QLatin1String("This plugin does not support raise()")) return;
    if (g_pQtHandler) g_pQtHandler(type, context, strMessage);
}

}  // namespace

void QuietQtMessages() {
    g_pQtHandler = qInstallMessageHandler(QuietHandler);
}

// --- The caret, and the peer beside the editor ----------------------------------------------

void Settle() {
    tessel::platform::ProcessEvents();
}

bool PaintCounter::eventFilter(QObject* pObject, QEvent* pEvent) {
    if (pEvent->type() == QEvent::Paint) ++nPaints;
    return QObject::eventFilter(pObject, pEvent);
}

void ClickAt(CTesselEdit& edit, CPoint point) {
    namespace platform = tessel::platform;
    platform::PressMouse(&edit, point, platform::MouseButton::kLeft, platform::kNoModifiers);
    Settle();
    platform::ReleaseMouse(&edit, point, platform::MouseButton::kLeft, platform::kNoModifiers);
    Settle();
}

CTesselEdit& Ours(CaretBench& bench) {
    return bench.pOpen->edit;
}

void OpenOurs(CaretBench& bench, PaintCounter& ourPaints) {
    bench.strMarkup = BuildPage();
    bench.pOpen = std::make_unique<OpenEditor>(bench.strMarkup);
    tessel::platform::WidgetOf(&Ours(bench))->installEventFilter(&ourPaints);
    CheckFullPage(Ours(bench));
    Settle();
    PlaceOurCaret(bench);
}

namespace {

constexpr int kMiddleRow = kMaxRows / 2;

// Whether the bytes of a Text element's text from one row start to the next are printable
// ASCII only, eight or more.
bool IsAsciiRow(const CLink& link, const ROW& row, const ROW& next) {
    const std::string& text = link.m_Command[0].strText;
    const int nFrom = tessel::editor::OffsetOf(text, row.nWord, row.nChar);
    const int nTo = tessel::editor::OffsetOf(text, next.nWord, next.nChar);
    if (nTo - nFrom < 8) return false;
    for (int i = nFrom; i < nTo; ++i)
        if (text[i] < 0x20 || text[i] > 0x7E) return false;
    return true;
}

// The row nearest the middle one that lies inside one Text element and holds ASCII text only.
int FindMiddleRow(CTesselEdit& edit) {
    for (int d = 0; d < kMiddleRow; ++d) {
        for (const int r : {kMiddleRow - d, kMiddleRow + d}) {
            if (r < 0 || r + 1 >= kMaxRows) continue;
            const ROW& row = edit.m_Row[r];
            const ROW& next = edit.m_Row[r + 1];
            if (row.IsEndMarker() || next.IsEndMarker() || row.nLink != next.nLink) continue;
            const CLink* pLink = tessel::editor::LinkAt(*edit.m_pList, row.nLink);
            if (pLink && pLink->m_nKind == kKindText && IsAsciiRow(*pLink, row, next)) return r;
        }
    }
    Fail("the page has no row of ASCII text inside one Text element");
}

}  // namespace

void PlaceOurCaret(CaretBench& bench) {
    CTesselEdit& edit = Ours(bench);
    const int r = bench.nRow = FindMiddleRow(edit);
    int nTop = 0;
    for (int i = 0; i < r; ++i)
        nTop += edit.m_Row[i].nHeight;
    const int nHeight = edit.m_Row[r].nHeight;
    const int nOrigin = kHeight / 2 - (nTop + nHeight / 2);
    bench.nViewOrgY = std::clamp(nOrigin, std::min(kHeight - edit.GetWinHeight(), 0), 0);
    edit.m_nViewOrgY = bench.nViewOrgY;
    edit.Invalidate(TRUE);
    Settle();
    const int y = nTop + nHeight / 2 + edit.m_nViewOrgY;
    ClickAt(edit, CPoint(kWidth / 2, y));
    if (edit.m_nViewOrgY != bench.nViewOrgY) Fail("the click scrolled the editor");
    bench.caret = edit.m_CurPos;
    const CLink* pLink = tessel::editor::LinkAt(*edit.m_pList, bench.caret.nLink);
    if (!pLink || bench.caret.nLink != edit.m_Row[r].nLink)
        Fail("the click did not put the caret into the middle row's text");
    const std::string& text = pLink->m_Command[0].strText;
    const int k = tessel::editor::OffsetOf(text, bench.caret.nWord, bench.caret.nChar);
    if (k <= 0 || text[k - 1] < 0x20 || text[k - 1] > 0x7E)
        Fail("the caret does not follow an ASCII character");
    bench.chBefore = text[k - 1];
    const tessel::platform::CaretInfo info = tessel::platform::GetCaretInfo();
    if (info.hOwner != edit.m_hWnd || !info.bShown) Fail("the click left no caret");
    bench.ptClick = CPoint(info.pos.x, y);
}

void OpenPeer(CaretBench& bench) {
    CTesselEdit& edit = Ours(bench);
    bench.pPeer = std::make_unique<QTextEdit>();
    QTextEdit& peer = *bench.pPeer;
    bench.pDoc = new QTextDocument(&peer);
    PeerBuilder builder(edit, *bench.pDoc);
    builder.Build();
    bench.nPeerPos = builder.PeerPosition(bench.caret);
    if (bench.nPeerPos <= 0) Fail("the caret has no place in the peer's document");
    bench.pDoc->setUndoRedoEnabled(true);
    peer.setDocument(bench.pDoc);
    peer.setFrameStyle(QFrame::NoFrame);
    peer.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    peer.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    peer.resize(kWidth, kHeight);
    peer.show();
    Settle();
    if (peer.viewport()->size() != QSize(kWidth, kHeight) || bench.pDoc->textWidth() != kWidth ||
        bench.pDoc->documentMargin() != 0)
        Fail("the peer's viewport is not 800 x 600 or its page not 800 wide");
    if (bench.pDoc->characterAt(bench.nPeerPos - 1) != QChar(bench.chBefore))
        Fail("the peer's cursor would not follow the same character");
    peer.viewport()->installEventFilter(&bench.peerPaints);

    // The cursor in the same place, in the middle of the viewport.
    QTextCursor cursor(bench.pDoc);
    cursor.setPosition(bench.nPeerPos);
    peer.setTextCursor(cursor);
    Settle();
    QScrollBar* pBar = peer.verticalScrollBar();
    pBar->setValue(pBar->value() + peer.cursorRect().center().y() - kHeight / 2);
    Settle();
    bench.nPeerScroll = pBar->value();
    bench.ptPeerClick = peer.cursorRect().center();
}

// --- The runs -------------------------------------------------------------------------------

int RunPairs(int argc, char** argv, std::span<const Switch> switches, std::span<const Pair> pairs,
             void (*pMore)(const LeastTimeReporter& reporter)) {
    QuietQtMessages();
    int nKept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        auto it = std::find_if(switches.begin(), switches.end(),
                               [&](const Switch& s) { return arg == s.szName; });
        if (it != switches.end())
            *it->pbSet = true;
        else
            argv[nKept++] = argv[i];
    }
    argc = nKept;
    for (const Pair& pair : pairs) {
        Repeated(benchmark::RegisterBenchmark(pair.szOurs, pair.pOurs));
        Repeated(benchmark::RegisterBenchmark(pair.szPeer, pair.pPeer));
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    LeastTimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // The least times, then the ratios, the names in a column one wider than the longest.
    reporter.PrintLeast();
    int nWidth = 0;
    for (const Pair& pair : pairs)
        nWidth = std::max(nWidth, static_cast<int>(std::strlen(pair.szName)));
    std::printf("Tessel / QTextEdit, least CPU times (goal: below 1):\n");
    for (const Pair& pair : pairs) {
        const double dOurs = reporter.Least(pair.szOurs), dPeer = reporter.Least(pair.szPeer);
        if (dOurs < 0 || dPeer < 0) continue;
        std::printf("  %-*s %.2f ms / %.2f ms = %.2f\n", nWidth + 1, pair.szName, dOurs / 1000.0,
                    dPeer / 1000.0, dOurs / dPeer);
    }
    if (pMore) pMore(reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace tessel::bench
