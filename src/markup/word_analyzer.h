#pragma once

#include <string>
#include <string_view>

#include "document/my_list.h"
#include "markup/diagnostics.h"
#include "markup/markup_limits.h"

// Reads markup into elements and writes elements back as markup (mode 0) or as an HTML
// fragment (mode 1). Holds no state of its own: every call works on the text it is given.
//
// Positions are byte indices into a NUL-terminated text; a range runs from its first to its
// last byte, both inclusive ("nEnd" is the last index that may be read). Every forward step
// moves over a whole character: a byte of 0x80 or more starts a two-byte GBK character.
class CWordAnalyzer {
  public:
    // One parameter of a tag.
    struct PARAMTER {
        int nValue = 0;
        int nType = kParamNotGiven;  // 0 number, 1 text, 2 not given
        std::string strText;
    };
    // One unit read from the markup.
    struct MESSAGE {
        int nType = 0;        // one of MessageType
        std::string strWord;  // a text run, escapes resolved
        int nID = 0;          // command or property identifier
        PARAMTER Param[kMaxParams];
        int nParamNum = 0;  // parameter positions read
    };
    enum MessageType : int {
        kPropertyOpen = 0,
        kPropertyClose = 1,
        kCommandTag = 2,
        kCommandClose = 3,
        kTextRun = 4,
        kUnknownTag = 5,
        kNothing = 6,  // an empty tag: nothing to do
    };
    enum PropertyId : int { kPropFont = 0, kPropColor = 1, kPropFootNote = 2, kPropHotLink = 3 };
    static constexpr int kNoKeyword = 100;

    // Keyword tables, each ended by an empty string. A keyword's index is its identifier.
    static const char* const m_CommandID[];
    static const char* const m_PropertyID[];
    // Quotation marks: entry i of the left table pairs with entry i of the right one.
    static const char* const m_szDelLQuotation[];
    static const char* const m_szDelRQuotation[];

    // --- Scanning primitives -------------------------------------------------------------
    // Advances over the character at nPos (two bytes for a lead byte, but never over a NUL).
    void ForwardPtr(const char* szText, int& nPos) const;
    // Steps back by 2 when the byte before nPos is 0x80 or more, else by 1 (never below 0).
    void BackwardPtr(const char* szText, int& nPos) const;
    // Copies the character at nPos into szChar (NUL-terminated), advances, returns 1 or 2.
    static int GetUniChar(const char* szText, char* szChar, int& nPos, int nEnd);
    void JumpSpace(const char* szText, int& nPos, int nEnd) const;
    // Bracket finders: on success the position is on the bracket and the result is 1; else 0
    // with the position beyond nEnd. Escaped brackets are skipped; JumpLSParenth also skips
    // a tag open that "&" protects.
    int JumpLSParenth(const char* szText, int& nPos, int nEnd) const;
    int JumpRSParenth(const char* szText, int& nPos, int nEnd) const;
    int JumpLParenth(const char* szText, int& nPos, int nEnd) const;
    int JumpRParenth(const char* szText, int& nPos, int nEnd) const;
    void SkipComment(const char* szText, int& nPos, int nEnd) const;
    // Reads one token into szToken (which needs kTokenBufferBytes of room).
    void GetWord(const char* szText, char* szToken, int& nPos, int nEnd) const;
    // Resolves the text escapes in place. The buffer needs room for 4 bytes per byte of
    // text, since a tab grows to four spaces.
    void StringFiltation(char* szText) const;
    // The same for a run of text; the result replaces strText.
    void StringFiltation(std::string& strText) const;
    int StringEqu(const char* szA, const char* szB) const;
    int GetStringLength(const char* szText) const;
    void PosToString(const char* szText, int nFirst, int nLast, char* szOut) const;
    int IsCommand(const char* szWord) const;
    int IsProperty(const char* szWord) const;
    int GetCommandID(const char* szWord) const;   // 100 when none
    int GetPropertyID(const char* szWord) const;  // 100 when none
    static int IsLQuotation(const char* szAt);    // index 0..4, -1 when none
    static int IsRQuotation(const char* szAt);
    int CheckCommandError(const char* szText) const;  // always 1

    // --- Reading ---------------------------------------------------------------------------
    // Appends the elements of the markup to the list. What is dropped or cut is reported to
    // the sink when one is given.
    void Convert(const char* szMarkup, CMyList* pList, IMarkupSink* pSink = nullptr) const;
    void GetRealWord(const char* szText, MESSAGE& msg, int& nPos, int nEnd) const;
    void ResolveCommand(const char* szText, MESSAGE& msg, int nFirst, int nLast) const;
    int GetParam(const char* szText, PARAMTER* pParams, int& nCount, int nFirst, int nLast) const;

    // --- Writing ---------------------------------------------------------------------------
    // Writes every element of the list; mode 0 markup, mode 1 HTML. The list's cursor is left
    // at the end. What cannot be written so that it reads back whole is reported to the sink.
    void CodeGeneration(std::string& strOut, CMyList* pList, int nMode,
                        IMarkupSink* pSink = nullptr) const;
    // The same into a caller's buffer, which must hold the whole result.
    void CodeGeneration(char* szOut, CMyList* pList, int nMode) const;
    // The opening hot-link tag of the list's current element, replacing strOut's content.
    // 0 when there is no current element (or, in mode 1, no anchor for the action).
    int FillHotLink(CMyList* pList, std::string& strOut, int nMode) const;
    int FillHotLink(CMyList* pList, char* szOut, int nMode) const;
    // Appends the text with every carriage return and line feed rewritten for the mode.
    void appendstr(std::string_view text, std::string& strOut, int nMode) const;
    void appendstr(const char* szText, char* szOut, int nMode) const;
};
