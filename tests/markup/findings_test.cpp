// What a read or a write of markup loses, as the findings word it. The expected offsets and
// counts are worked out by hand from the markup's rules (docs/markup.md).
#include "markup/findings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup/markup_limits.h"

namespace tessel::markup {
namespace {

TEST(Findings, UnknownTagIsNamedAtItsOwnByteWithTheBytesNotRead) {
    // "ab", a line break, then the tag at byte 4: the 7 bytes from it on are not read.
    const std::vector<MarkupFinding> findings = CheckPage("ab\r\n<Foo>cd");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_TRUE(findings[0].bLoss);
    EXPECT_EQ(findings[0].nOffset, 4);
    EXPECT_EQ(findings[0].nElement, -1);
    EXPECT_EQ(findings[0].strWhere, "byte 4");
    EXPECT_EQ(findings[0].strText,
              "unknown tag \"<Foo>\": reading stops here; 7 bytes are not read");
}

TEST(Findings, NulInTheMiddleHidesEverythingAfterIt) {
    // The NUL is byte 2; "cd" and the 10 bytes of the tag come after it.
    const std::string page = std::string("ab\0cd", 5) + "<Check(1)>";
    const std::vector<MarkupFinding> findings = CheckPage(page);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_TRUE(findings[0].bLoss);
    EXPECT_EQ(findings[0].strWhere, "byte 2");
    EXPECT_EQ(findings[0].strText, "a NUL byte ends the markup; 12 bytes after it are not read");
}

TEST(Findings, OversizedMarkupIsCutBeforeTheCharacterOnTheLimit) {
    // 2048 tags of 10 bytes fill bytes 0..20479; the two bytes of a GBK character are 20480
    // and 20481, so the character straddles the last byte a read takes. Its lead byte is
    // dropped, and the 11 bytes from 20481 on are not read.
    std::string page;
    for (int i = 0; i < 2048; ++i)
        page += "<Check(1)>";
    ASSERT_EQ(page.size(), static_cast<size_t>(kMaxMarkupBytes - 1));
    page += "\xC4\xE3<Check(0)>";
    const std::vector<MarkupFinding> findings = CheckReopen(page);
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].strWhere, "byte 20480");
    EXPECT_EQ(findings[0].strText,
              "the byte 0xC4 starts a two-byte character but the text ends after it: it is "
              "dropped");
    EXPECT_EQ(findings[1].strWhere, "byte 20481");
    EXPECT_EQ(findings[1].strText,
              "the markup is longer than 20481 bytes, the most one read takes: the last 11 bytes "
              "are not read");
    // The cut falls between characters: after the last whole tag, before the character.
    EXPECT_EQ(findings[1].strCutAt,
              "it is cut after \"<Check(1)><Check(1)><Check(1)>\", before \"\xC4\xE3<Check(0)>\"");
}

TEST(Findings, TextRunOverItsLimitLosesItsTail) {
    // A run keeps its first 2001 bytes of markup; the 2001 letters kept write back as one run.
    const std::vector<MarkupFinding> findings = CheckPage(std::string(2005, 'x'));
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].strWhere, "byte 0");
    EXPECT_EQ(findings[0].strText,
              "a text run longer than 2001 bytes is cut: its last 4 bytes are dropped");
}

TEST(Findings, ValueTheWriterCannotWriteWholeNamesElementAndSlot) {
    // A quoted parameter is taken as it stands, line feed included; no quoting can carry a
    // line feed, so the writer leaves it out of the standard answer (Command[2] of element 1).
    const std::vector<MarkupFinding> findings = CheckPage("<Check(1)><Edit(80,20,'x\ny',0,0,0)>");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_TRUE(findings[0].bLoss);
    EXPECT_EQ(findings[0].nOffset, -1);
    EXPECT_EQ(findings[0].nElement, 1);
    EXPECT_EQ(findings[0].strWhere, "element 1 (Edit), Command[2]");
    EXPECT_EQ(findings[0].strText, "the standard answer cannot be written whole: \"\\n\" dropped");
}

TEST(Findings, ExcerptsShowWholeGbkCharactersAndOtherBytesAsValues) {
    // Backslashes as they are, control characters escaped, a GBK pair whole, a lead byte at
    // the end as its value.
    EXPECT_EQ(QuoteExcerpt("C:\\a\r\n\x01\xC4\xE3\xB0"), "\"C:\\a\\r\\n\\x01\xC4\xE3\\xB0\"");
    // A lead byte takes the byte after it, whatever it is; "<" is no second byte of GBK.
    EXPECT_EQ(QuoteExcerpt("\xB0<a"), "\"\\xB0\\x3Ca\"");
    // Cut after two characters, never inside one.
    EXPECT_EQ(QuoteExcerpt("\xC4\xE3\xBA\xC3!", 2), "\"\xC4\xE3\xBA\xC3...\"");
}

}  // namespace
}  // namespace tessel::markup
