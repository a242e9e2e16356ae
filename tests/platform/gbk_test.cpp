#include "platform/gbk.h"

#include <gtest/gtest.h>

#include <string>

using tessel::platform::GbkToUtf8;
using tessel::platform::Utf8ToGbk;

namespace {

const std::string kFffd = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

TEST(GbkToUtf8, KeepsAsciiIncludingControlAndNulBytes) {
    const std::string ascii("<Font('x',12)>a\r\n\t\\\0z", 21);
    EXPECT_EQ(GbkToUtf8(ascii), ascii);
    EXPECT_EQ(GbkToUtf8(""), "");
}

TEST(GbkToUtf8, ConvertsChineseAndFullWidthMarkupSymbols) {
    EXPECT_EQ(GbkToUtf8("\xC4\xE3\xBA\xC3 world"), "你好 world");
    EXPECT_EQ(GbkToUtf8("\xCB\xCE\xCC\xE5"), "宋体");
    // The full-width tag open, escape and parameter brackets the markup accepts.
    EXPECT_EQ(GbkToUtf8("\xA1\xB4\xA3\xDC\xA3\xA8\xA3\xA9"), "〈＼（）");
    // The first and last lead and trail bytes of the two-byte range.
    EXPECT_EQ(GbkToUtf8("\x81\x40"), "丂");
    EXPECT_EQ(GbkToUtf8("\xFE\x4F"), "﨩");
}

TEST(GbkToUtf8, ReplacesSingleBytesThatAreNeverCharacters) {
    EXPECT_EQ(GbkToUtf8("\x80"), kFffd);
    EXPECT_EQ(GbkToUtf8("\xFF"), kFffd);
    EXPECT_EQ(GbkToUtf8("a\x80"
                        "b\xFF"
                        "c"),
              "a" + kFffd + "b" + kFffd + "c");
}

TEST(GbkToUtf8, ReplacesTruncatedLeadByte) {
    EXPECT_EQ(GbkToUtf8("\xB0"), kFffd);
    EXPECT_EQ(GbkToUtf8("ab\xC4\xE3\xBA"), "ab你" + kFffd);
}

TEST(GbkToUtf8, RejectedPairWithAsciiTrailKeepsTheTrail) {
    // The second byte must survive: in markup it may be a bracket.
    EXPECT_EQ(GbkToUtf8("\xB0<Font>"), kFffd + "<Font>");
    EXPECT_EQ(GbkToUtf8("\xB0\x7F"), kFffd + "\x7F");  // 0x7F is never a trail byte
    EXPECT_EQ(GbkToUtf8("\xB0\x30"), kFffd + "0");     // below 0x40
    EXPECT_EQ(GbkToUtf8(std::string("\xB0\0x", 3)), kFffd + std::string("\0x", 2));
    // A well-formed pair that GBK assigns nothing to, with an ASCII second byte.
    EXPECT_EQ(GbkToUtf8("\xA1\x40"), kFffd + "@");
}

TEST(GbkToUtf8, RejectedPairWithNonAsciiTrailIsOneReplacement) {
    EXPECT_EQ(GbkToUtf8("\xB0\xFF"
                        "a"),
              kFffd + "a");
    // The user-defined area has no characters.
    EXPECT_EQ(GbkToUtf8("\xAA\xA1"
                        "a"),
              kFffd + "a");
    // A lead byte followed by another lead byte is read as one pair, not resynchronised.
    EXPECT_EQ(GbkToUtf8("\xC4\xC4\xE3"), "哪" + kFffd);
}

TEST(Utf8ToGbk, ConvertsAsciiAndChineseWithoutLoss) {
    bool bLossy = true;
    EXPECT_EQ(Utf8ToGbk("你好 world", &bLossy), "\xC4\xE3\xBA\xC3 world");
    EXPECT_FALSE(bLossy);
    EXPECT_EQ(Utf8ToGbk("〈＼", &bLossy), "\xA1\xB4\xA3\xDC");
    EXPECT_FALSE(bLossy);
    EXPECT_EQ(Utf8ToGbk(std::string("a\0b", 3), &bLossy), std::string("a\0b", 3));
    EXPECT_FALSE(bLossy);
    EXPECT_EQ(Utf8ToGbk("", &bLossy), "");
    EXPECT_FALSE(bLossy);
}

TEST(Utf8ToGbk, ReplacesCharactersGbkCannotHold) {
    bool bLossy = false;
    EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80"
                        "b",
                        &bLossy),
              "a?b");  // U+1F600
    EXPECT_TRUE(bLossy);
    EXPECT_EQ(Utf8ToGbk("\xE0\xB8\x81\xE4\xBD\xA0", &bLossy), "?\xC4\xE3");  // Thai, then 你
    EXPECT_TRUE(bLossy);
    // The flag is reset by a call that loses nothing.
    Utf8ToGbk("ok", &bLossy);
    EXPECT_FALSE(bLossy);
    // Without a flag the replacement still happens.
    EXPECT_EQ(Utf8ToGbk("\xF0\x9F\x98\x80"), "?");
}

TEST(Utf8ToGbk, ReplacesEveryByteOfMalformedUtf8) {
    bool bLossy = false;
    EXPECT_EQ(Utf8ToGbk("a\x80"
                        "b",
                        &bLossy),
              "a?b");  // stray continuation byte
    EXPECT_TRUE(bLossy);
    EXPECT_EQ(Utf8ToGbk("\xC0\xAF"), "??");       // overlong "/"
    EXPECT_EQ(Utf8ToGbk("\xED\xA0\x80"), "???");  // a surrogate
    EXPECT_EQ(Utf8ToGbk("\xE4\xBD"), "??");       // truncated at the end
    EXPECT_EQ(Utf8ToGbk("\xE4\xBD"
                        "a"),
              "??a");                                  // truncated before ASCII
    EXPECT_EQ(Utf8ToGbk("\xF5\x80\x80\x80"), "????");  // beyond U+10FFFF
}

TEST(GbkRoundTrip, EveryAssignedPairComesBackUnchanged) {
    int nAssigned = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const std::string gbk{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string utf8 = GbkToUtf8(gbk);
            if (utf8.starts_with(kFffd)) continue;  // unassigned
            ++nAssigned;
            bool bLossy = true;
            ASSERT_EQ(Utf8ToGbk(utf8, &bLossy), gbk) << std::hex << lead << ' ' << trail;
            ASSERT_FALSE(bLossy);
        }
    }
    // GBK has 21886 characters; the tables in use may leave a few of them out, but never
    // most of them.
    EXPECT_GT(nAssigned, 21000);
}

TEST(GbkRoundTrip, TextSurvivesBothWays) {
    const std::string utf8 = "第1题：选择正确答案（A）。Ｎｏ．〈标签〉";
    bool bLossy = true;
    const std::string gbk = Utf8ToGbk(utf8, &bLossy);
    EXPECT_FALSE(bLossy);
    EXPECT_EQ(GbkToUtf8(gbk), utf8);
}

}  // namespace
