#pragma once

// The editor a host embeds: one window that shows a page of rich text and objects, lets the
// user edit it, and hands the markup back. One class, implemented in several files by
// concern:
//   edit_control.cpp  construction, Edit, the message map, painting, scrolling, GetEditText
//   columns.cpp       multi-column frames: their column editors and the flat markup form
//   measure.cpp       words, fonts and widths
//   layout.cpp        the row table (SetRow) and the placement of each kind of element
//   render.cpp        drawing rows and elements, off screen and copied in one transfer
//   caret.cpp         the caret's place and height, the mouse cursor, the timer
//   navigation.cpp    the keys, the cursor's moves, hit testing, placing the cursor by mouse
//   typing.cpp        characters, inserting text and elements, deletion, removing a range
//   selection.cpp     the selection: made with the mouse, drawn, the whole document
//   clipboard.cpp     cut, copy and paste, within the process and between programs
//   undo_redo.cpp     recording every change of the document, undo and redo
//   formatting.cpp    the current character format taken from the text at the cursor
//   objects_pictures.cpp   inserting and changing pictures and formulas
//   objects_questions.cpp  inserting and changing edit frames, judgements, choices, scores
//   hot_links.cpp     hot links: the event dialog and its action on the selection
//   context_menu.cpp  the right button and the context menu
//   properties.cpp    double clicks and the properties command: an object's dialog
//   symbols_text.cpp  the Insert Symbol window's characters and the import of text files
// The document itself is changed only through the plain functions of edits.h, and positions
// are computed by those of positions.h: the handlers translate a message into those calls and
// end with the one refresh sequence (FinishChange).

#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/char_format.h"
#include "document/my_list.h"
#include "editor/edits.h"
#include "editor/positions.h"
#include "editor/text_pos.h"
#include "editor/undo.h"
#include "markup/word_analyzer.h"
#include "platform/gdi.h"
#include "platform/wnd.h"

class CEditToolWnd;
class CSymbolDlg;

// The host's lists of strings (media entries, page names, sub-page identifiers).
using CStringArray = std::vector<std::string>;

// Process-wide editor state (edit_globals.cpp).
// The editor that receives tool-bar and menu commands: -1 the top-level editor, otherwise
// the column editor m_pChildEdit[g_nFocusEdit / 16][g_nFocusEdit % 16].
extern int g_nFocusEdit;
// The private clipboard format "super text edit".
extern unsigned int g_nClipFormat;
// The element list the private clipboard data refer to; owned by the clipboard until
// GetpListFromClip takes it, or a new cut or copy replaces it. Null when none.
extern CMyList* g_pClipList;
// Which list the private data on the clipboard refer to: the process and a serial number
// that grows with every list put there, so that a paste can tell this process's current
// list from data another process (or an earlier list) left.
extern unsigned long g_nClipSerial;
// The modeless Insert Symbol window; null when none exists.
extern CSymbolDlg* g_pSymbolDlg;
// The lead byte of a double-byte character whose second byte has not arrived yet, shared by
// every editor (the second byte may reach another one).
struct DoubleByteBuffer {
    unsigned char bytes[3] = {};
    int nCount = 0;  // 0 or 1 bytes held
};
extern DoubleByteBuffer g_DoubleByte;

class CTesselEdit : public CWnd {
  public:
    CTesselEdit();
    ~CTesselEdit() override;

    // --- The host's interface -------------------------------------------------------------
    // Opens the editor as a child window of hWndParent covering rect, with the markup (GBK;
    // null for a column editor whose list its parent attached). 1 opened, 0 the window could
    // not be created.
    int Edit(HWND hWndParent, CRect rect, DWORD crHotLink, const char* pszText, int nCharSpace,
             int nLineSpace, double dZoom);
    // The same inside a Qt program's widget.
    int Edit(QWidget* pParent, CRect rect, DWORD crHotLink, const char* pszText, int nCharSpace,
             int nLineSpace, double dZoom);
    // Writes the document as markup into the host's buffer, which must hold all of it. An
    // empty document leaves the buffer as it was. Always 1.
    int GetEditText(char* pszBuffer);
    // The document as markup; empty for an empty document.
    std::string GetEditText();
    void SetDirPrj(const std::string& strDir);
    // The directory the page's file names are relative to: a column editor's page is its
    // owner's, so it is the owner's project directory.
    const std::string& ProjectDirectory() const {
        return m_pOwnerEdit ? m_pOwnerEdit->m_strDirPrj : m_strDirPrj;
    }
    void SetStringArray(const CStringArray* pMedia, const CStringArray* pPage,
                        const CStringArray* pIdent);
    // The height of the laid-out document: the sum of the heights of the rows in use.
    int GetWinHeight();
    // Where the laid-out part of the page ends: the end marker when every element has a row,
    // else the place the row after the last one the table holds would start at (nothing from
    // there on can be shown).
    TEXTPOS LaidOutEnd() const { return m_LaidOutEnd; }
    // Moves the open editor's window to rect (the parent's client coordinates, as Edit takes
    // it) and lays the page out for the new size; the cursor, the selection and the caret
    // stay, the view scrolls to keep the cursor shown. The tool window does not move. Nothing
    // happens before Edit.
    void Resize(CRect rect);
    // Places the caret for a host that draws it: x and row top in rc, the row in pRow.
    void EditMyList(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc);
    // A caret bitmap 3 pixels wide, for hosts. 1 made, 0 no memory context.
    int CreateCaretBmp(CDC* pDC, int nHeight, CBitmap* pBitmap);

    // --- Undo and redo (the host's interface) ---------------------------------------------
    // Every change of the document, in this editor or in its columns, is one step of the
    // top-level editor's history. 1 done, 0 nothing to undo or redo.
    int Undo();
    int Redo();
    int CanUndo() const;
    int CanRedo() const;
    // The commands 53090 and 53091 (a host's menu, the shortcuts of a column editor).
    void UndoCommand() { Undo(); }
    void RedoCommand() { Redo(); }
    // The usual keyboard shortcuts (Ctrl+X, C, V, A, Z, Y and the rest, see docs/embedding.md)
    // are on unless the host turns them off to keep those keys for itself.
    void SetShortcuts(bool bOn) { m_bShortcuts = bOn; }
    bool Shortcuts() const { return m_bShortcuts; }

    // --- Notifications (the host's interface) -----------------------------------------------
    // What the host hears after each message the editor (or one of its columns) handled: the
    // page changed (a change, an undo or a redo), the cursor or the selection of the editor
    // the user works in moved, or the current character format changed. Each is called at
    // most once per message, after the message, on the user-interface thread. Set on the
    // top-level editor; empty functions are not called.
    struct Listener {
        std::function<void()> onChanged;
        std::function<void()> onSelectionChanged;
        std::function<void()> onFormatChanged;
    };
    void SetListener(Listener listener);
    // Grows with every change of the page, undo and redo included.
    unsigned long Revision() const {
        return m_pOwnerEdit ? m_pOwnerEdit->m_nRevision : m_nRevision;
    }

    // --- Window and scrolling -------------------------------------------------------------
    int SetMyViewPort(CDC* pDC);
    void PrevCreateList();
    void ExcludeChildWndClip(CWnd* pWnd, CDC* pDC, CWnd* pChild);
    // Releases the column editors of a frame element (the element is left to the caller).
    void DeleteMColumn(CLink* pFrame);
    // Destroys the windows of a frame's column editors; the editors and their lists stay
    // (a frame moved into the cut list).
    void DestroyMColumn(CLink* pFrame);

    // --- Measurement ----------------------------------------------------------------------
    int GetWord(const char* pszText, char* pszWord, int& nPos, int nLast);
    int GetWordWidth(CDC* pDC, char* pszWord);
    int GetLinkWordNum(CLink* pLink);
    int GetTextLength(CDC* pDC, CLink* pLink, int nWord0, int nChar0, int nWord1, int nChar1);
    void GetProperX(CDC* pDC, CMyList* pList, int& x, int nLink0, int nWord0, int nChar0,
                    int nLink1, int nWord1, int nChar1);
    // The text font rule: the font of a Text element (halved for raised and lowered text
    // when bFootNote is set).
    LOGFONT TextFont(const CLink* pLink, bool bFootNote = true) const;

    // --- Layout -----------------------------------------------------------------------------
    void SetRow(CDC* pDC);
    int GetLineMaxHeight(CDC* pDC, CMyList* pList, CRect rc, int& x, int& nHeight, int& nLink,
                         int& nWord, int& nChar);
    int GetTextLineMaxHeight(CDC* pDC, CRect rc, CLink* pLink, int& x, int& nHeight, int& nWord,
                             int& nChar);
    int GetImageLineMaxHeight(CDC* pDC, CRect rc, CLink* pLink, int& x, int& nHeight);
    int GetFormulaLineMaxHeight(CDC* pDC, CRect rc, CLink* pLink, int& x, int& nHeight);
    int GetEditLineMaxHeight(CDC* pDC, CRect rc, CLink* pLink, int& x, int& nHeight);
    int GetScoreLineMaxHeight(CDC* pDC, CRect rc, CLink* pLink, int& x, int& nHeight);
    int GetBitmapLineMaxHeight(CDC* pDC, unsigned int nBitmapID, CRect rc, int& x, int& nHeight);

    // --- Rendering --------------------------------------------------------------------------
    int DrawMyList(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc);
    void ShowMyList(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc, int bSelect);
    void ShowMyListOneLine(CDC* pDC, CMyList* pList, int& x, int y, int& nHeight, int nLink0,
                           int nWord0, int nChar0, int nLink1, int nWord1, int nChar1, int bSelect);
    void ShowTextOneLink(CDC* pDC, CLink* pLink, int& x, int y, int nHeight, int nWord0, int nChar0,
                         int nWord1, int nChar1, int bSelect);
    void ShowImageOneLink(CDC* pDC, CLink* pLink, int& x, int y, int nHeight, int bSelect);
    void ShowFormulaOneLink(CDC* pDC, CLink* pLink, int& x, int y, int nHeight, int bSelect);
    void ShowScoreOneLink(CDC* pDC, CLink* pLink, int& x, int y, int nHeight, int bSelect);
    void ShowEditOneLink(CDC* pDC, CLink* pLink, int& x, int y, int nHeight, int bSelect);
    void ShowBmpOneLink(CDC* pDC, unsigned int nBitmapID, int& x, int y, int nHeight, int bSelect);
    void ShowMColumnOneLink(CDC* pDC, CLink* pLink, int x, int y, int nHeight, int bSelect);

    // --- Caret and navigation ---------------------------------------------------------------
    void RePostitionCaret(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc, int& x, int& y,
                          int& nHeight);
    int GetProperCharHeight(CDC* pDC, CMyList* pList);
    // One step of the cursor back: before the previous character or object.
    void PrevObject(CMyList* pList);
    // One step of the cursor forward: past the next character or object.
    void NextObject(CMyList* pList);
    // Row-wise moves of the cursor: to the row above or below (nearest x), to the row's start,
    // to before the row's last character (the document's end on the last row).
    void UpObject(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc);
    void DownObject(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc);
    void HomeObject(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc);
    void EndObject(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc);
    // Sets the cursor to the position under a point in document coordinates: the last
    // position of the point's row whose x is not right of the point.
    void GetLinkWordChar(CDC* pDC, CMyList* pList, ROW* pRow, CRect rc, int nX, int nY);
    // The caret refresh that ends every change: place the caret at the cursor.
    void RefreshCaret(CDC* pDC);
    void ReShowPartSelected(CDC* pDC, TEXTPOS start, TEXTPOS end, int bSelect);
    // The row that holds position p: by the display rule a position equal to a row's start is
    // found at the end of the row before; by the movement rule it belongs to the row it starts.
    static int DisplayRow(const ROW* pRow, const TEXTPOS& p);
    static int MovementRow(const ROW* pRow, const TEXTPOS& p);
    // The keyboard shortcuts for the clipboard, selecting everything, undo and redo; true when
    // the key was one of them.
    bool RunShortcut(UINT nChar, bool bShift, bool bControl);
    // Ctrl+B, Ctrl+I and Ctrl+U; true when the key was one of them.
    bool RunFormatShortcut(UINT nChar, bool bShift, bool bControl);
    void OnLeftArrow(CDC* pDC);
    void OnRightArrow(CDC* pDC);
    void OnUpArrow(CDC* pDC);
    void OnDownArrow(CDC* pDC);
    void OnHome(CDC* pDC);
    void OnEnd(CDC* pDC);
    // What ends every movement: the caret goes, the view scrolls when bScroll is set, the
    // selection follows a Shift-movement or a shown one is cleared, the caret comes back.
    void FinishMove(CDC* pDC, bool bScroll);
    // Destroys the system caret and the caret bitmap.
    void DropCaret();

    // --- Typing and deletion ----------------------------------------------------------------
    // Inserts text at the cursor in the current format (a selection is replaced) and
    // refreshes the view.
    void AddStringInCur(const std::string& strText);
    // Inserts a ready element at the cursor; the list takes ownership. No layout, no redraw:
    // the caller refreshes once after a batch.
    void InsertLinkInCurr(CLink* pLink, CMyList* pList);
    void OnBack(CDC* pDC);
    void OnDelete(CDC* pDC);
    // Removes the selected range from the list into m_pCutList (a new one each time); non-zero
    // when anything was removed. The cursor ends where the range began.
    int OnCut(CMyList* pList, int bToClipboard);

    // --- Selection and clipboard ------------------------------------------------------------
    // Copies the selected range into m_pCutList and puts it on the clipboard.
    void OnCopy(CMyList* pList);
    // Pastes the clipboard's bitmap as a picture: its file is asked for and written as a BMP.
    void PastBmpCopy();
    // Puts a list on the clipboard (a copy of it becomes the process's clip list); the
    // argument is released and set to null. An empty list changes nothing.
    void AddpListToClip(CMyList*& pList);
    // Takes the clipboard's list into the argument and empties the clipboard; 1 when the
    // private format was there.
    int GetpListFromClip(CMyList*& pList);
    // Releases the clipboard's list and empties the clipboard.
    void EmptyMyClip();
    // Releases m_pCutList and sets both selection ends to (0, 0, 0).
    void ClearBuff();
    // 1 when m_pCutList is null and both selection ends are (0, 0, 0).
    int IsBuffEmpty();
    // Selects the whole document and shows it selected.
    void SelectAll();
    // Paste of the clipboard's text alone, in the current format, whatever else it holds.
    void PastePlainText();
    // Inserts copies of the elements of a list at the cursor, in order (text joins the text
    // before it when the formats are the same); a frame given in its flat form becomes a
    // frame of this editor with column editors of its own. No layout, no redraw.
    void InsertListInCurr(const CMyList& list);
    // The one sequence that ends every change of the document: the caret goes, the rows are
    // laid out again, the window is invalidated, the view scrolls to the cursor, the caret
    // comes back at the cursor, the selection collapses onto the cursor, and the change is
    // recorded in the undo history of the top-level editor.
    void FinishChange(CDC* pDC);
    // The view's part of FinishChange, for changes that are not recorded (undo and redo):
    // caret off, layout, invalidate, scroll to the cursor, caret on.
    void RefreshView(CDC* pDC);
    // A list of this editor (its document) with the positions stored beside it, for the
    // functions of edits.h.
    tessel::editor::Document Doc(CMyList& list);

    // --- Character format -----------------------------------------------------------------
    // Makes the format of the Text element at the cursor the current format (and, once the
    // tool window has its controls, shows it there). 1 done, 0 no tool bar, no element at the
    // cursor, or not a Text element.
    int ResetToolBar();
    // The pixel sizes the size box's items stand for, by the item's index.
    static constexpr int kSizeItems = 37;
    static constexpr int kSizeTable[kSizeItems] = {
        52, 50, 40, 32, 30, 28, 26, 24, 22, 20, 16, 14, 12, 10, 8,  6,  5,  5, 6,
        7,  8,  9,  10, 11, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
    // The tool window this editor's commands read and show: its own for a top-level editor,
    // its parent's for a column editor; null when there is none or it has no window.
    CEditToolWnd* ToolBar() const;
    // Ctrl+B, Ctrl+I and Ctrl+U: what a click on the button does (its check changes, then its
    // command goes to the top-level editor, which routes it to the focused column).
    void ToggleFormatButton(UINT nID);

    // --- Changing an existing object through its dialog --------------------------------------
    // Each runs the object's dialog with the element's values and, on OK, stores the answers
    // back into the element; one undo step. The element is one of this editor's document.
    // Pictures and formulas (objects_pictures.cpp).
    void ChangeImage(CLink* pImage);
    void ChangeFormula(CLink* pFormula);
    // Question objects (objects_questions.cpp): edit frames, judgements, option boxes (their
    // choice is changed), choices, page scores and page total scores.
    void ChangeEditFrame(CLink* pFrame);
    void ChangeJudgement(CLink* pCheck);
    void ChangeOptionBox(CLink* pOption);
    void ChangeChoice(CLink* pChoice);
    void ChangePageScore(CLink* pScore);

    // --- Context menu and properties (context_menu.cpp, properties.cpp) --------------------
    void CreateMenu();
    // The clipboard commands' state on the tool window (a top-level editor's own) and in this
    // editor's context menu: Cut, Copy and Hot Link while something is selected, Paste while
    // the clipboard holds something to paste; the Symbol button checked while the Insert
    // Symbol window shows. What every tick of the timer does, and a right click before the
    // menu opens. False when the clipboard could not be opened (nothing changed).
    bool UpdateCommandStates();
    // Opens the dialog of the object at a point in document coordinates and applies what it
    // answers; the cursor goes to the point.
    void OnPro(CPoint point);

    // --- Text from outside the keyboard (symbols_text.cpp) ---------------------------------
    // Inserts a plain-text file at the cursor: at most its first 3071 bytes (after conversion
    // when the file is UTF-8), to the first zero byte, each line break one "\n". A file that
    // cannot be read changes nothing and says nothing.
    void OpenFile(const std::string& strPath);

    // --- Message handlers -----------------------------------------------------------------
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();
    void OnPaint();
    void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    void OnKillFocus(CWnd* pNewWnd);
    void OnTimer(UINT_PTR nIDEvent);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    void OnSelchangeComboFont();
    void OnSelchangeComboSize();
    LRESULT OnSelchangeComboColor(WPARAM wParam, LPARAM lParam);
    void OnInsertImage();
    void OnInsertFomular();
    void OnInsertEdit();
    void OnInsertCheck();
    void OnInsertChoice();
    void OnInsertPageTotalScore();
    void OnInsertTotalScore();
    void OnInsertPageScore();
    void OnInsertMColumn();
    void OnInsertHLink();
    void OnInsertCut();
    void OnInsertCopy();
    void OnInsertPaste();
    void OnInsertBond();
    void OnInsertItalic();
    void OnInsertULine();
    void OnbtnFootUp();
    void OnbtnFootDown();
    void OnbtnPro();
    void OnInsertTxt();
    void OnInsertSymbol();
    // The Insert Symbol window's character (its two bytes in wParam), typed at the cursor.
    LRESULT OnInsertSymbolChar(WPARAM wParam, LPARAM lParam);

    const MessageMap* GetMessageMap() const override;
    // Every message ends by noting where the user is: the positions a following change
    // starts from, which its undo step goes back to.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The current character format as one value.
    CharFormat CurrentFormat() const;

    // --- Fields -----------------------------------------------------------------------------
    CTesselEdit* m_pChildEdit[kMaxFrames][kMaxColumns] = {};
    CWordAnalyzer m_Analyzer;
    CMyList* m_pList = nullptr;
    CMyList* m_pCutList = nullptr;
    CBitmap* m_pCaretBmp = nullptr;
    CBitmap* m_pMemBitmap = nullptr;
    CEditToolWnd* m_pToolBar = nullptr;
    HCURSOR m_hIBeam = nullptr;
    HCURSOR m_hArrow = nullptr;
    ROW m_Row[kMaxRows + 1];
    int m_nCharSpace = 0;
    int m_nLineSpace = 2;
    CRect m_rcEdit;
    COLORREF m_crHotLink = 0;
    TEXTPOS m_CurPos;
    TEXTPOS m_SelStart, m_SelEnd;
    int m_bSelected = 0, m_bShiftSel = 0;
    std::string m_strFontName = "Arial";
    int m_nFontSize = 28;
    int m_nRed = 0, m_nGreen = 0, m_nBlue = 0;
    int m_nHotLink = kNoHotLink;
    int m_bItalic = 0, m_bBold = 0, m_bUnderline = 0, m_bRaised = 0, m_bLowered = 0;
    int m_nViewOrgY = 0;
    double m_dZoom = 1.0;
    int m_nEditID = -1;
    CPoint m_ptPopup;
    CMenu m_Menu;
    std::string m_strLinkBase;
    CStringArray m_saMedia, m_saPage, m_saIdent;
    std::string m_strDirPrj;

    // Makes the column editor of a frame's column: a new editor holding pList (owned from
    // then on), opened as a hidden child window of this one, numbered nFrame * 16 + nColumn
    // and kept in m_pChildEdit. An editor already in that place is released first. Null
    // when the place is outside the table or the window cannot be made (pList is then freed).
    CTesselEdit* MakeColumnEditor(int nFrame, int nColumn, int nWidth, CMyList* pList);
    // Appends copies of the document to flat in the markup's flat form: each frame as its
    // MultiColumn element followed by its columns between StartColumn and EndColumn (what
    // GetEditText writes).
    void FlattenInto(CMyList& flat);

    // The top-level editor that owns this column editor; null for a top-level editor.
    CTesselEdit* m_pOwnerEdit = nullptr;

  private:
    int ColumnWindowWidth(int nWidth) const;
    // --- Clipboard, undo (clipboard.cpp, undo_redo.cpp) -----------------------------------
    // The focus routing of the clipboard and formatting commands: this editor when it has the
    // focus, else the column editor that has it (null when the focused number names none).
    CTesselEdit* FocusedColumn();
    // Runs the command in the focused column editor when that is not this one; true when the
    // command was thereby handled (or had nobody to go to).
    bool RoutedToColumn(void (CTesselEdit::*handler)());
    bool RoutedToColumn(const std::function<void(CTesselEdit&)>& run);
    // --- Formatting (formatting.cpp) ------------------------------------------------------
    // Whether a format button is down. Without a tool window the clicked button's flag
    // toggles and the other keeps its state.
    int ButtonChecked(UINT nID, int bCurrent, bool bClicked = true) const;
    // Applies a change to every element of the selected range: cut to the clipboard, taken
    // back, changed copies inserted at the cursor; the changed range stays selected. One
    // undo step. Nothing happens without a selection.
    void FormatSelection(const std::function<void(CLink&)>& change);
    // The raised and lowered buttons, a pair of which at most one is down.
    void SetRaisedLowered(bool bRaisedPressed);
    // Turns the flat form of frames in a list (MultiColumn, then StartColumn ... EndColumn
    // groups) into frame elements whose columns go to new column editors of this editor, at
    // free frame numbers. The editors are made without windows (OpenColumnEditors opens them).
    void FoldFrames(CMyList& list, bool bKeepNumbers = false);
    // The view's refresh after a copy: caret off, the window invalidated, caret on.
    void RefreshAfterCopy();
    // PastBmpCopy without the refresh: the clipboard's bitmap written to the file the save
    // dialog names and inserted as a picture; true when it went in.
    bool InsertClipboardBitmap();
    // The paste that Paste and PastePlainText share; bPlain takes only the text.
    void Paste(bool bPlain);
    // A frame of this editor in its flat form, appended to out (for the cut and copy lists).
    void AppendFlatFrame(const CLink& frame, CMyList& out);
    void AppendFrameEntries(const CLink& frame, std::vector<tessel::editor::FlatEntry>& out) const;
    // The editor whose history records this one's changes.
    CTesselEdit& HistoryOwner() { return m_pOwnerEdit ? *m_pOwnerEdit : *this; }
    // The page of this top-level editor in its flat form, as entries of the history.
    std::vector<tessel::editor::FlatEntry> FlatView() const;
    tessel::editor::EditPositions Positions() const;
    // Records the change just made (FinishChange) in the owner's history.
    void RecordChange();
    // Undo (bUndo) or Redo: a column editor hands it to its owner.
    int UndoOrRedo(bool bUndo);
    // Applies an undo or redo step to the live page and puts the user where it says.
    void ApplyStep(const tessel::editor::UndoStep& step, bool bUndo);
    // The editor with number nEditID of this top-level editor (itself for -1); may be null.
    CTesselEdit* EditorById(int nEditID);
    std::unique_ptr<tessel::editor::UndoHistory> m_pHistory;  // top-level editors only
    tessel::editor::EditPositions m_RestPositions;  // where the user was after the last message
    tessel::editor::StepKind m_NextStepKind = tessel::editor::StepKind::kOther;
    bool m_bShortcuts = true;
    // Calls the listener for what changed since it was last called.
    void NotifyListener();
    Listener m_Listener;
    unsigned long m_nRevision = 0;
    unsigned long m_nNotifiedRevision = 0;
    tessel::editor::EditPositions m_NotifiedPositions;
    std::array<int, 3> m_NotifiedOffsets{};  // the cursor's and the selection's in the text
    CharFormat m_NotifiedFormat;
    bool m_bSwallowChar = false;  // the character of a shortcut's key is not typed
    int m_nDispatchDepth = 0;     // messages being handled, nested ones included
    std::shared_ptr<bool> m_pAlive = std::make_shared<bool>(true);
    // Opens the column editors of every frame of the list (after PrevCreateList).
    void OpenColumnEditors(DWORD crHotLink, int nCharSpace, int nLineSpace);
    // Releases every column editor (windows and objects).
    void ReleaseColumnEditors();
    // Whether this editor made the process's Insert Symbol window (and so destroys it).
    bool m_bOwnsSymbolDlg = false;
    // --- Measuring and layout helpers (measure.cpp, layout.cpp) -----------------------------
    // The byte offset in a Text element's text of position (nWord, nChar): the offset rule of
    // positions.h, with the word hint while a layout or a drawing is under way.
    int OffsetOf(const std::string& text, int nWord, int nChar);
    // While a layout or a drawing is under way no text changes, so OffsetOf may go on from
    // the word where it last stopped in the same text instead of from the text's start (a
    // page typed in one format is one long Text element, visited row after row).
    class WordHintScope {
      public:
        explicit WordHintScope(CTesselEdit& ed) : m_ed(ed) {
            if (m_ed.m_nWordHintScopes++ == 0) m_ed.m_WordHint = tessel::editor::WordHint{};
        }
        ~WordHintScope() { --m_ed.m_nWordHintScopes; }
        WordHintScope(const WordHintScope&) = delete;
        WordHintScope& operator=(const WordHintScope&) = delete;

      private:
        CTesselEdit& m_ed;
    };
    tessel::editor::WordHint m_WordHint;
    int m_nWordHintScopes = 0;
    // Where the laid-out part of the document ends: the end marker when every element has a
    // row, else the position the row after the 128th would start at (nothing from there on
    // can be reached with the caret).
    TEXTPOS m_LaidOutEnd{kEndMark, kEndMark, kEndMark};
    // The document rows that DrawMyList's bitmap shows (document coordinates): text of rows
    // that cannot reach it is measured but not drawn. Everything outside a DrawMyList.
    int m_nBandTop = INT_MIN;
    int m_nBandBottom = INT_MAX;
    // The bytes of a Text element's text from one position to another, as the drawing draws
    // them and the measurement measures them.
    std::string_view TextPart(const std::string& text, int nWord0, int nChar0, int nWord1,
                              int nChar1);
    // Loads an Image element's picture from the project directory when it has none, or when
    // an earlier measurement kept one that failed to load. A picture that fails now is kept
    // when bKeepFailed is set (0 wide), else released. True when the element has a loaded
    // picture.
    bool EnsurePicture(CLink* pLink, bool bKeepFailed);
    // Opens a Formula element's formula from the project directory when it has none, and
    // takes its measured size into the element. A formula that fails is released. True when
    // the element has a formula object.
    bool EnsureFormula(CLink* pLink);
    // The placement rule shared by every object: an object of w x h on the row being filled.
    // 1 placed (bAdvanceWhenWide: an object at least as wide as the line still moves x), 0 the
    // row ends before it.
    int PlaceObject(const CRect& rc, int w, int h, bool bAdvanceWhenWide, int& x, int& nHeight);
    // Elements whose picture or formula failed to load during the layout in progress: they
    // are not tried again on each following row, only on the next layout.
    bool LoadFailedInThisLayout(const CLink* pLink) const;
    std::vector<const CLink*> m_LoadFailures;
    bool m_bInLayout = false;
    // A digest of everything the layout reads: the elements in order with every slot and
    // text, their loaded objects' sizes, the column editors' heights, the editing rectangle,
    // the zoom and the spacing; and of the row table it wrote. The paint lays the page out
    // only when it differs from the digest of the last layout: after a change the exit
    // sequence has just laid it out.
    std::uint64_t LayoutDigest() const;
    std::uint64_t m_nLaidOutDigest = 0;
    // Whether the last layout can stand for a paint with the same digest: not when an object
    // failed to load in it (each layout tries again).
    bool m_bLayoutReusable = false;
};
