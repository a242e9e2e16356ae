// The "Select Begin" window driven headless as a user drives it: positions typed or marked,
// OK and Cancel, a sound written by sox and files that are no media. Playing needs a media
// backend, which a test machine may lack: what depends on it is skipped there, never failed.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMediaPlayer>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include <cstdlib>
#include <string>

#include "answer.h"
#include "picker_window.h"
#include "program_dir.h"

namespace {

using tessel::media_picker::PickerWindow;

class PickerWindowTest : public ProgramDirTest {
  protected:
    void SetUp() override {
        ProgramDirTest::SetUp();
        m_window.show();
    }
    // Selects what the box holds and types over it.
    static void Type(QSpinBox* pBox, const QString& strText) {
        pBox->setFocus();
        pBox->selectAll();
        QTest::keyClicks(pBox, strText);
    }
    static void Click(QPushButton* pButton) { QTest::mouseClick(pButton, Qt::LeftButton); }
    std::string Answer() const { return m_window.Answer().toStdString(); }
    std::string TypeAndOk(const QString& strBegin, const QString& strEnd) {
        m_window.show();
        Type(m_window.BeginBox(), strBegin);
        Type(m_window.EndBox(), strEnd);
        Click(m_window.OkButton());
        EXPECT_EQ(m_window.result(), QDialog::Accepted);
        return Answer();
    }
    // Opens the file and waits until the player has it loaded or has given up on it (false:
    // it says nothing before the deadline, which only keeps a broken run from hanging).
    bool Open(const std::string& strName) {
        m_window.OpenMedia(QString::fromStdString((m_dir / strName).string()));
        const QDeadlineTimer deadline(60'000);
        auto settled = [&] {
            if (m_window.HasFailed()) return true;  // a window without a player has failed
            const QMediaPlayer::MediaStatus status = m_window.Player()->mediaStatus();
            return status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia;
        };
        while (!settled() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return settled();
    }

    PickerWindow m_window;
};

TEST_F(PickerWindowTest, OkAnswersWithThePositionsAndCancelWithNothing) {
    EXPECT_EQ(m_window.windowTitle(), QStringLiteral("Select Begin"));
    EXPECT_EQ(m_window.TimeText(), QStringLiteral("0:00.000 / 0:00.000"));
    EXPECT_TRUE(m_window.Answer().isEmpty());
    EXPECT_EQ(TypeAndOk(QStringLiteral("1200"), QStringLiteral("3400")), "1200 3400\n");
    EXPECT_FALSE(m_window.isVisible());
    // A begin after the end: the smaller is the begin.
    EXPECT_EQ(TypeAndOk(QStringLiteral("900"), QStringLiteral("200")), "200 900\n");
    // Letters and signs are not taken (the box keeps what it held); nothing goes past the
    // largest.
    m_window.SetEnd(std::int64_t{1} << 40);
    EXPECT_EQ(TypeAndOk(QStringLiteral("-x"), QStringLiteral("")), "900 2147483647\n");

    // Enter is OK, and what is still being typed counts.
    m_window.show();
    Type(m_window.EndBox(), QStringLiteral("70"));
    QTest::keyClick(m_window.EndBox(), Qt::Key_Return);
    EXPECT_EQ(Answer(), "70 900\n");

    // Cancel, Escape and closing answer nothing, even after an earlier OK.
    for (int nWay = 0; nWay < 3; ++nWay) {
        m_window.show();
        Click(m_window.OkButton());
        m_window.show();
        if (nWay == 0) Click(m_window.CancelButton());
        if (nWay == 1) QTest::keyClick(&m_window, Qt::Key_Escape);
        if (nWay == 2) m_window.close();
        EXPECT_EQ(m_window.result(), QDialog::Rejected) << nWay;
        EXPECT_EQ(Answer(), "") << nWay;
    }
}

TEST_F(PickerWindowTest, TheMarksTakeThePosition) {
    m_window.SetPosition(1500);
    EXPECT_EQ(m_window.TimeText(), QStringLiteral("0:01.500 / 0:00.000"));
    Click(m_window.MarkBeginButton());
    m_window.SetPosition(61'800);
    Click(m_window.MarkEndButton());
    EXPECT_EQ(m_window.Begin(), 1500);
    EXPECT_EQ(m_window.End(), 61'800);
    // Marking again moves only its own mark, and the marks can be corrected by hand.
    m_window.SetPosition(700);
    Click(m_window.MarkBeginButton());
    m_window.SetPosition(-30);
    EXPECT_EQ(m_window.Position(), 0);
    Type(m_window.EndBox(), QStringLiteral("2500"));
    Click(m_window.OkButton());
    EXPECT_EQ(Answer(), "700 2500\n");
}

TEST_F(PickerWindowTest, PlaysASound) {
    const std::string command = "sox -n -r 8000 -c 1 '" + (m_dir / "tone 1.wav").string() +
                                "' synth 2 sine 440 >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "sox cannot write a sound here";
    const bool bSettled = Open("tone 1.wav");
    EXPECT_EQ(m_window.FileText(), QStringLiteral("tone 1.wav"));
    if (!bSettled || m_window.HasFailed())
        GTEST_SKIP() << "no playing here: " << m_window.StatusText().toStdString();

    // Two seconds, and a position is within them.
    const qint64 nLength = m_window.Player()->duration();
    EXPECT_NEAR(static_cast<double>(nLength), 2000.0, 50.0);
    EXPECT_EQ(m_window.PositionSlider()->maximum(), nLength);
    EXPECT_TRUE(m_window.PositionSlider()->isEnabled());
    m_window.SetPosition(1250);
    EXPECT_EQ(m_window.PositionSlider()->value(), 1250);
    Click(m_window.MarkBeginButton());
    m_window.SetPosition(99'000);
    EXPECT_EQ(m_window.Position(), nLength);
    Click(m_window.MarkEndButton());

    // Play, as far as the player here follows.
    Click(m_window.PlayButton());
    if (m_window.Player()->playbackState() == QMediaPlayer::PlayingState) {
        EXPECT_EQ(m_window.PlayButton()->text(), QStringLiteral("Pause"));
    }
    Click(m_window.OkButton());
    EXPECT_EQ(Answer(), "1250 " + std::to_string(nLength) + "\n");
}

TEST_F(PickerWindowTest, FilesThatAreNoMediaAreSaidSoAndThePositionsCanStillBeTyped) {
    Write("broken.wav", std::string("RIFF\x10\0\0\0WAVEthis is not a sound", 31));
    Write("empty.flc", "");
    for (const char* szName : {"broken.wav", "empty.flc", "missing.mpg"}) {
        if (!Open(szName)) GTEST_SKIP() << "the player here says nothing of " << szName;
        EXPECT_EQ(m_window.FileText(), QString::fromLatin1(szName));
        EXPECT_TRUE(m_window.HasFailed()) << szName << " was taken as media";
        EXPECT_TRUE(m_window.StatusText().startsWith(
            QStringLiteral("Cannot play %1: ").arg(QString::fromLatin1(szName))))
            << m_window.StatusText().toStdString();
        EXPECT_FALSE(m_window.PlayButton()->isEnabled());
        EXPECT_FALSE(m_window.PositionSlider()->isEnabled());
        EXPECT_EQ(TypeAndOk(QStringLiteral("40"), QStringLiteral("10")), "10 40\n") << szName;
    }
}

}  // namespace
