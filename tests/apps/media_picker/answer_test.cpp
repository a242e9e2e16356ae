// The answer's parts: positions read from a command line, the line written, the time shown.

#include <gtest/gtest.h>

#include "answer.h"

namespace {

using namespace tessel::media_picker;

TEST(AnswerTest, PositionsLinesAndTimes) {
    EXPECT_EQ(ParsePosition(QStringLiteral("1250")), 1250);
    EXPECT_EQ(ParsePosition(QStringLiteral("007")), 7);
    EXPECT_EQ(ParsePosition(QStringLiteral("2147483647")), kMaxPositionMs);
    for (const char* szBad : {"", "-1", "+1", " 1", "1.5", "12a", "0x10", "2147483648",
                              "99999999999999999999999999", "\xD9\xA1"})
        EXPECT_EQ(ParsePosition(QString::fromUtf8(szBad)), std::nullopt) << szBad;

    EXPECT_EQ(AnswerLine(1200, 3400), QStringLiteral("1200 3400\n"));
    EXPECT_EQ(AnswerLine(3400, 1200), QStringLiteral("1200 3400\n"));
    EXPECT_EQ(AnswerLine(5, 5), QStringLiteral("5 5\n"));

    EXPECT_EQ(FormatTime(0), QStringLiteral("0:00.000"));
    EXPECT_EQ(FormatTime(65'004), QStringLiteral("1:05.004"));
    EXPECT_EQ(FormatTime(3'599'999), QStringLiteral("59:59.999"));
    EXPECT_EQ(FormatTime(3'723'004), QStringLiteral("1:02:03.004"));
    EXPECT_EQ(FormatTime(kMaxPositionMs), QStringLiteral("596:31:23.647"));
}

}  // namespace
