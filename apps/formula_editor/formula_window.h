#pragma once

#include <QImage>
#include <QMainWindow>
#include <QString>

#include <memory>

#include "formula_file.h"

class CFormula;
class QAction;
class QCloseEvent;
class QLabel;
class QPlainTextEdit;
class QTimer;

namespace tessel::formula_editor {

class Prompts;

// The formula editor's window (docs/formula_editor.md): the formula's text on the left, the
// formula module's drawing of it on the right, redrawn a moment after each change. An error
// in the text is marked where the formula module found it and told in the status bar; the
// drawing keeps the last formula that was read without one.
class FormulaWindow : public QMainWindow {
  public:
    // How long after the last change the text is read again.
    static constexpr int kRedrawDelayMs = 150;
    static constexpr double kDefaultZoom = 2.0;
    static constexpr double kMinZoom = 0.5;
    static constexpr double kMaxZoom = 8.0;

    explicit FormulaWindow(QWidget* pParent = nullptr);
    ~FormulaWindow() override;

    // Opens the file in place of the current text, without asking about unsaved changes. A
    // missing file opens empty and is made by the first save. Returns false, after a
    // warning, when the file cannot be read; the window then keeps what it had, and the name
    // is what Save As suggests while the window has no file.
    bool OpenFile(const QString& strPath);
    // Writes the text to the window's file (Save As when it has none). False when nothing
    // was written: the user cancelled or the file cannot be written (after a warning).
    bool Save();
    bool SaveAs();
    // An empty, untitled text (the unsaved-changes question comes first). False when the
    // user stays with the current text.
    bool NewFile();

    // The questions and warnings go to prompts (not owned; null: Qt's dialogs).
    void SetPrompts(Prompts* pPrompts);

    // Reads the text and redraws now rather than after the delay.
    void UpdateNow();
    void SetZoom(double dZoom);
    double Zoom() const { return m_dZoom; }

    QPlainTextEdit* Source() const { return m_pSource; }
    // The drawing shown: null when there is no formula to draw.
    const QImage& Preview() const { return m_preview; }
    // What the status bar says about the formula: its size on the page, or the error.
    QString StatusText() const;
    bool HasError() const { return m_bError; }
    // The absolute path of the window's file; empty when untitled.
    const QString& FilePath() const { return m_strPath; }
    const FileFormat& Format() const { return m_format; }

  protected:
    void closeEvent(QCloseEvent* pEvent) override;

  private:
    void MakeMenus();
    // True to go on with whatever would throw the changes away.
    bool MaybeSave();
    bool SaveTo(const QString& strPath);
    void OpenAsked();
    void SetFile(const QString& strPath, const QString& strText, const FileFormat& format);
    void ReadText();
    void Redraw();
    void MarkError(int nLine, int nColumn);
    void UpdateTitle();
    void UpdateCaret();
    QString DisplayName() const;

    Prompts* m_pPrompts;
    QPlainTextEdit* m_pSource = nullptr;
    QLabel* m_pDrawing = nullptr;
    QLabel* m_pMessage = nullptr;
    QLabel* m_pCaret = nullptr;
    QLabel* m_pZoom = nullptr;
    QTimer* m_pTimer = nullptr;
    QAction* m_pUndo = nullptr;
    QAction* m_pRedo = nullptr;
    QAction* m_pCut = nullptr;
    QAction* m_pCopy = nullptr;

    QString m_strPath;
    QString m_strSuggested;  // what Save As offers while untitled
    FileFormat m_format;
    std::unique_ptr<CFormula> m_pFormula;  // the last text read without an error
    QImage m_preview;
    double m_dZoom = kDefaultZoom;
    bool m_bError = false;
};

}  // namespace tessel::formula_editor
