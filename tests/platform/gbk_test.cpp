#include "platform/gbk.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using tessel::platform::GbkToUtf8;
using tessel::platform::Utf8ToGbk;

namespace {

const std::string kFffd = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Everything that is not valid GBK becomes U+FFFD, but an ASCII byte after a rejected lead
// byte stays a character of its own: in markup it may be a bracket.
TEST(GbkToUtf8, ConvertsChineseAndReplacesInvalidBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string("<F('x')>\r\n\t\\\0z", 15), std::string("<F('x')>\r\n\t\\\0z", 15)},
        {"\xC4\xE3\xBA\xC3 world", "你好 world"},
        {"\xA1\xB4\xA3\xDC\xA3\xA8\x81\x40\xFE\x4F", "〈＼（丂﨩"},
        {"a\x80z\xFF", "a" + kFffd + "z" + kFffd},
        {"ab\xC4\xE3\xBA", "ab你" + kFffd},  // the text ends inside a character
        {"\xB0<Font>", kFffd + "<Font>"},
        {"\xB0\x7F\xB0\x30", kFffd + "\x7F" + kFffd + "0"},
        {std::string("\xB0\0x", 3), kFffd + std::string("\0x", 2)},
        {"\xA1\x40", kFffd + "@"},  // a well-formed pair that GBK assigns nothing to
        {"\xB0\xFFz\xAA\xA1", kFffd + "z" + kFffd},  // a rejected pair, non-ASCII second byte
        {"\xC4\xC4\xE3", "哪" + kFffd}};             // two lead bytes are read as one pair
    for (const auto& [gbk, utf8] : cases)
        EXPECT_EQ(GbkToUtf8(gbk), utf8) << gbk;
}

// What GBK cannot hold, and every byte that is not part of well-formed UTF-8, becomes "?".
TEST(Utf8ToGbk, ConvertsChineseAndReplacesWhatGbkCannotHold) {
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"你好 world〈＼", "\xC4\xE3\xBA\xC3 world\xA1\xB4\xA3\xDC", false},
        {std::string("a\0b", 3), std::string("a\0b", 3), false},
        {"a\xF0\x9F\x98\x80z", "a?z", true},              // U+1F600
        {"\xE0\xB8\x81\xE4\xBD\xA0", "?\xC4\xE3", true},  // Thai, then 你
        {"a\x80z\xC0\xAF", "a?z??", true},  // a stray continuation byte, an overlong form
        {"\xED\xA0\x80\xF5\x80\x80\x80", "???????", true},  // surrogate, > U+10FFFF
        {"\xE4\xBDz\xE4\xBD", "??z??", true}};              // truncated sequences
    for (const auto& [utf8, gbk, bExpectLossy] : cases) {
        bool bLossy = !bExpectLossy;  // the flag is set either way
        EXPECT_EQ(Utf8ToGbk(utf8, &bLossy), gbk) << utf8;
        EXPECT_EQ(bLossy, bExpectLossy) << utf8;
    }
    EXPECT_EQ(Utf8ToGbk("\xF0\x9F\x98\x80"), "?");  // without a flag too
}

TEST(GbkRoundTrip, EveryAssignedPairComesBackUnchanged) {
    int nAssigned = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string gbk{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string utf8 = GbkToUtf8(gbk);
            if (utf8.starts_with(kFffd)) continue;  // unassigned
            ++nAssigned;
            bool bLossy = true;
            ASSERT_EQ(Utf8ToGbk(utf8, &bLossy), gbk) << std::hex << lead << ' ' << trail;
            ASSERT_FALSE(bLossy);
        }
    }
    EXPECT_GT(nAssigned, 21000);  // GBK has 21886 characters; tables may leave out a few
}

}  // namespace
