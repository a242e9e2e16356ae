#pragma once

#include <string>

// What a read or a write of markup drops, cuts or changes. The library never prints: a
// caller that wants to know passes a sink; without one, nothing is collected.
enum class MarkupIssue {
    // Reading. Offsets are byte positions in the markup text.
    kUnknownTag,           // the tag at nOffset is unknown: reading stops, nLength bytes unread
    kMarkupTooLong,        // bytes from nOffset (20481) on are not read; nLength of them
    kEmbeddedNul,          // a NUL byte at nOffset ends the text; nLength bytes after it unread
                           // (the reader takes a NUL-terminated text: callers holding the
                           // bytes report this themselves)
    kTextRunTooLong,       // the text run at nOffset loses nLength bytes past its first 2001
    kTextParamTooLong,     // the text parameter at nOffset loses nLength bytes past 129
    kNumberTooLong,        // a number is longer than 19 characters: nLength of them, from
                           // nOffset on, are ignored
    kTooManyParams,        // a tag gives more than 20 parameters: from the 21st (at nOffset)
                           // on, nLength bytes of the list are ignored
    kUnclosedTag,          // the tag open at nOffset has no tag close: read as text
    kMissingListClose,     // the parameter list at nOffset has no close: read to the tag close
    kUnmatchedClose,       // the closing tag at nOffset closes nothing and is ignored
    kEmptyTag,             // the empty tag at nOffset is ignored
    kIgnoredKeyword,       // the tag at nOffset (Text, Date, ...) makes no element
    kIncompleteCharacter,  // the lead byte at nOffset has no second byte and is dropped
    kStrayEscape,          // the escape at nOffset protects an ordinary character; kept as text
    // Writing. nElement is the element's index in the list, strSlot names the slot.
    kParamNotWritable,    // the parameter cannot be written whole; strDetail says what is lost
    kHotLinkNotWritable,  // the hot-link code nValue has no markup form: the link is lost
    kTextNotWritable,     // the text cannot be written whole; strDetail says what is lost
    kTextSplit,           // the text is longer than one run can be: written as nValue runs
    kKindNotWritable,     // an element of kind nValue has no markup form
};

struct MarkupDiagnostic {
    MarkupIssue nIssue = MarkupIssue::kUnknownTag;
    bool bLoss = true;      // false for notes: nothing the reader gives back is lost
    int nOffset = -1;       // byte offset in the markup read, -1 when writing
    int nLength = 0;        // bytes affected
    int nElement = -1;      // element index (0-based) in the list, -1 when reading
    int nValue = 0;         // a value the issue names (a count, a code, a kind)
    std::string strSlot;    // "Command[2]", "HotLink[1]", "Font[0]" ... when writing
    std::string strDetail;  // the tag keyword, the characters dropped, ... (GBK bytes)
};

class IMarkupSink {
  public:
    virtual ~IMarkupSink() = default;
    virtual void Report(const MarkupDiagnostic& diag) = 0;
};
