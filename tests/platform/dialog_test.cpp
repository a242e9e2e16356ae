// Dialogs described as tables, answered as a user answers them: values typed into fields,
// the focus leaving each, buttons pressed; the framework's integer and range checks with
// their standard messages; message boxes and their safe answers.

#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/application.h"

namespace {

using tessel::platform::MessageBoxRequest;

enum : int { kCount = 100, kName = 101, kFlag = 102, kList = 103, kApply = 104, kPlace = 105 };

const DlgTemplate kTestTemplate{900,
                                "Test Dialog",
                                "Property",
                                {
                                    {IDC_STATIC, DlgItemKind::kLabel, "&Count:", {0, 0}},
                                    {kCount, DlgItemKind::kEdit, "", {0, 1}},
                                    {IDC_STATIC, DlgItemKind::kLabel, "Name:", {1, 0}},
                                    {kName, DlgItemKind::kEdit, "", {1, 1}},
                                    {kFlag, DlgItemKind::kCheck, "Flag", {2, 0, 2}},
                                    {kList, DlgItemKind::kDropList, "", {3, 0, 2}, DIF_SORT},
                                    {kApply, DlgItemKind::kButton, "Apply", {4, 0}},
                                    {kPlace, DlgItemKind::kHost, "", {4, 1}, DIF_HIDDEN, {40, 20}},
                                }};

// A dialog of every kind of control. What its handlers saw is written down in order.
class TestDialog : public CDialog {
  public:
    TestDialog() : CDialog(kTestTemplate) {}
    int m_nCount = 5;
    std::string m_strName = "start";
    int m_bFlag = 0;
    std::string m_strChoice;
    std::vector<std::string> events;

  protected:
    BOOL OnInitDialog() override {
        for (const char* sz : {"pear", "Apple", "banana"})
            AddString(kList, sz);
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, kCount, m_nCount);
        DDV_MinMaxInt(pDX, m_nCount, 0, 16);
        DDX_Text(pDX, kName, m_strName);
        DDX_Check(pDX, kFlag, m_bFlag);
        DDX_CBString(pDX, kList, m_strChoice);
    }
    void OnCommand(int nID, UINT nCode) override {
        events.push_back(std::to_string(nID) + ":" + std::to_string(nCode));
    }
    bool SetHostValue(int nID, std::string_view strValue) override {
        events.push_back("host " + std::to_string(nID) + "=" + std::string(strValue));
        return true;
    }
};

class DialogTest : public testing::Test {
  protected:
    void SetUp() override {
        tessel::platform::EnsureApplication();
        tessel::platform::SetMessageBoxAnswerer([this](const MessageBoxRequest& request) {
            messages.push_back(request.strText);
            return std::optional<int>(IDOK);
        });
    }
    void TearDown() override {
        tessel::platform::SetDialogAnswerer({});
        tessel::platform::SetMessageBoxAnswerer({});
    }
    // Answers the next dialog with the steps, round after round while it stays open.
    void Answer(std::vector<std::function<void(CDialog&)>> rounds) {
        auto pRounds = std::make_shared<std::vector<std::function<void(CDialog&)>>>(rounds);
        auto pNext = std::make_shared<std::size_t>(0);
        tessel::platform::SetDialogAnswerer([pRounds, pNext](CDialog& dialog) {
            if (*pNext >= pRounds->size()) return false;
            (*pRounds)[(*pNext)++](dialog);
            return true;
        });
    }
    std::vector<std::string> messages;
};

TEST_F(DialogTest, ValuesGoInAsTypedAndOkCarriesThemToTheMembers) {
    TestDialog dialog;
    Answer({[](CDialog& d) {
        EXPECT_TRUE(d.AnswerValue(kCount, " 12 "));
        EXPECT_TRUE(d.AnswerValue(kName, "\xD6\xD0\xCE\xC4"));  // GBK text
        EXPECT_TRUE(d.AnswerValue(kFlag, "1"));
        EXPECT_TRUE(d.AnswerValue(kList, "banana"));
        EXPECT_FALSE(d.AnswerValue(kList, "cherry"));
        EXPECT_FALSE(d.AnswerValue(999, "x"));
        EXPECT_TRUE(d.AnswerPress(IDOK));
    }});
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nCount, 12);
    EXPECT_EQ(dialog.m_strName, "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(dialog.m_bFlag, 1);
    EXPECT_EQ(dialog.m_strChoice, "banana");
    EXPECT_TRUE(messages.empty());
    // The fields filled when the dialog opened (EN_CHANGE); then each edit field told when
    // its text changed and when the focus left it, the check box its click, the list its
    // choice: in the order a user's entries make them.
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"100:768", "101:768", "100:768", "100:512",
                                                       "101:768", "101:512", "102:0", "103:1"}));
}

TEST_F(DialogTest, TheFieldsShowTheMembersWhenTheDialogOpens) {
    TestDialog dialog;
    dialog.m_strChoice = "APP";  // the first entry that starts with it, letter case aside
    Answer({[](CDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(kCount), "5");
        EXPECT_EQ(d.GetDlgItemText(kName), "start");
        EXPECT_EQ(d.GetDlgItemText(kList), "Apple");
        // A sorted list keeps its entries in order, letter case aside.
        EXPECT_EQ(d.GetLBText(kList, 0), "Apple");
        EXPECT_EQ(d.GetLBText(kList, 1), "banana");
        EXPECT_EQ(d.GetLBText(kList, 2), "pear");
        EXPECT_EQ(d.FindStringExact(kList, "PEAR"), 2);
        EXPECT_FALSE(d.IsItemVisible(kPlace));
        EXPECT_NE(d.HostOf(kPlace), nullptr);
        EXPECT_EQ(d.HostOf(kName), nullptr);
        EXPECT_TRUE(d.AnswerValue(kPlace, "FF0000"));
        // Its picture: the labels and fields of the table, laid out, without being shown.
        const std::string strPicture = testing::TempDir() + "dialog-picture.png";
        ASSERT_TRUE(d.SavePicture(strPicture));
        const QImage picture(QString::fromStdString(strPicture));
        EXPECT_GT(picture.width(), 100);
        EXPECT_GT(picture.height(), 100);
        EXPECT_FALSE(d.SavePicture("/nonexistent-folder/x.png"));
        d.AnswerPress(IDCANCEL);
    }});
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_nCount, 5);
    EXPECT_EQ(dialog.events.back(), "host 105=FF0000");
}

TEST_F(DialogTest, ARefusedOkKeepsTheDialogOpenForTheNextAnswer) {
    TestDialog dialog;
    Answer({
        [](CDialog& d) {
            d.AnswerValue(kCount, "abc");
            d.AnswerPress(IDOK);
            // The check put the focus back on the field it refused.
            EXPECT_EQ(d.GetFocusItem(), kCount);
        },
        [](CDialog& d) {
            d.AnswerValue(kCount, "17");
            d.AnswerPress(IDOK);
        },
        [](CDialog& d) {
            d.AnswerValue(kCount, "-0");
            d.AnswerPress(IDOK);
        },
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nCount, 0);
    EXPECT_EQ(messages, (std::vector<std::string>{"Please enter an integer.",
                                                  "Please enter an integer between 0 and 16."}));
}

TEST_F(DialogTest, IntegersOutsideIntAndTrailingWordsAreNotIntegers) {
    for (const char* szText : {"", "+", "12a", "1 2", "99999999999", "0x10"}) {
        TestDialog dialog;
        messages.clear();
        Answer({[szText](CDialog& d) {
            d.AnswerValue(kCount, szText);
            d.AnswerPress(IDOK);
        }});
        EXPECT_EQ(dialog.DoModal(), IDCANCEL) << szText;
        EXPECT_EQ(messages, std::vector<std::string>{"Please enter an integer."}) << szText;
    }
}

TEST_F(DialogTest, WithoutAnswerOrScreenADialogIsCancelledAndABoxGivesItsSafeAnswer) {
    TestDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    tessel::platform::SetMessageBoxAnswerer({});
    EXPECT_EQ(AfxMessageBox("Sure?", MB_YESNO), IDNO);
    EXPECT_EQ(AfxMessageBox("Done.", MB_OK), IDOK);
    EXPECT_EQ(AfxMessageBox("Go on?", MB_OKCANCEL), IDCANCEL);
    // An answer the box has no button for gives the safe answer too.
    tessel::platform::SetMessageBoxAnswerer(
        [](const MessageBoxRequest&) { return std::optional<int>(IDYES); });
    EXPECT_EQ(AfxMessageBox("Done.", MB_OK), IDOK);
    EXPECT_EQ(AfxMessageBox("Sure?", MB_YESNO), IDYES);
}

TEST_F(DialogTest, AnAnswererThatNeverEndsTheDialogDoesNotHoldTheProgram) {
    TestDialog dialog;
    int nRounds = 0;
    tessel::platform::SetDialogAnswerer([&nRounds](CDialog&) { return ++nRounds > 0; });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_GT(nRounds, 1);
}

// On a screen the dialog is a window of the desktop's: the focus moving between its fields
// tells the dialog as an answer's entries do, and its OK button ends it with the values. The
// test runs itself again on an X server of its own (xvfb-run) for that.
TEST_F(DialogTest, OnAScreenTheFocusAndTheButtonsOfTheWindowWorkAsAnswersDo) {
    if (!std::getenv("TESSEL_DIALOG_ON_SCREEN")) {
        if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "xvfb-run is not on the PATH";
        const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
        const std::string command =
            "TESSEL_DIALOG_ON_SCREEN=1 QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 timeout 60 "
            "xvfb-run -a '" +
            self + "' --gtest_filter=DialogTest.OnAScreen* >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << "the run on an X server failed";
        return;
    }
    TestDialog dialog;
    QTimer::singleShot(300, [] {
        QWidget* pWindow = QApplication::activeModalWidget();
        if (!pWindow) return;
        pWindow->activateWindow();
        const QList<QLineEdit*> edits = pWindow->findChildren<QLineEdit*>();
        QPushButton* pOk = pWindow->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        auto focus = [](QWidget* pWidget) {
            pWidget->setFocus(Qt::TabFocusReason);
            QApplication::processEvents();
        };
        focus(edits[0]);
        edits[0]->setText("7");
        focus(edits[1]);
        edits[1]->setText("typed");
        focus(pOk);
        pOk->click();
    });
    // Should the window never get the focus, it is closed (Cancel) and the test fails.
    QTimer::singleShot(10000, [] {
        if (QWidget* pWindow = QApplication::activeModalWidget()) pWindow->close();
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nCount, 7);
    EXPECT_EQ(dialog.m_strName, "typed");
    const auto has = [&dialog](const char* sz) {
        return std::find(dialog.events.begin(), dialog.events.end(), sz) != dialog.events.end();
    };
    EXPECT_TRUE(has("100:512") && has("101:512"));
}

}  // namespace
