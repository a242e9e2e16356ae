#pragma once

// TesselEditor: the Tessel page editor as a Qt widget. The widget holds one editor; the
// editor's window covers the widget and follows its size, so the widget can sit in any
// layout. Markup goes in and out as GBK bytes, the way pages store it.
//
//   TesselEditor editor(&window);
//   editor.setProjectDirectory("/home/author/course");
//   editor.setMarkup(page);                // opens the page
//   QObject::connect(&editor, &TesselEditor::changed, [&] { save(editor.markup()); });
//
// The editor opens at the first setMarkup, or on an empty page when the event loop runs
// after the widget was shown without one. setMarkup reopens it: the page, the undo history, the
// cursor and the editor object itself (editor()) are new, and the project directory, the page
// lists, the hot-link colour, the zoom and the spacing set so far are applied to it.
//
// This header needs Qt only; the editor's own interface is reached through editor()
// (editor/tessel_edit.h).

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

class CTesselEdit;

class TesselEditor : public QWidget {
    Q_OBJECT

  public:
    explicit TesselEditor(QWidget* parent = nullptr);
    ~TesselEditor() override;
    TesselEditor(const TesselEditor&) = delete;
    TesselEditor& operator=(const TesselEditor&) = delete;

    // Opens (or reopens) the editor on a page's markup, GBK bytes. Bytes after a zero byte
    // are not part of the page.
    void setMarkup(const QByteArray& gbkMarkup);
    // The page as the editor writes it (GBK bytes); empty for an empty page or before the
    // editor is open.
    QByteArray markup() const;

    // Where the page's picture and formula file names are looked up (a separator is added
    // when it does not end with one). Takes effect at once.
    void setProjectDirectory(const QString& directory);
    QString projectDirectory() const;
    // The host's lists, offered by the hot-link and score dialogs: media entries as
    // "NUMBER,PATH", page names, sub-page identifiers each starting with its number. Stored
    // in the page's encoding (GBK); characters GBK lacks are dropped. Take effect at once.
    void setPageLists(const QStringList& media, const QStringList& pages,
                      const QStringList& identifiers);

    // The opening options, applied at the next setMarkup: the colour of text that carries a
    // hot link (blue unless set), the zoom of text sizes (1.0), the extra pixels per Chinese
    // character (0) and the pixels added to every row's height (2).
    void setHotLinkColor(const QColor& color);
    QColor hotLinkColor() const;
    void setZoom(double zoom);
    double zoom() const;
    void setSpacing(int charSpace, int lineSpace);
    int charSpace() const;
    int lineSpace() const;

    // Whether undo() or redo() would do something now.
    bool canUndo() const;
    bool canRedo() const;

    // The height of the laid-out page in pixels (0 before the editor is open).
    int pageHeight() const;

    // The editor itself, for hosts that need its full interface (commands, shortcuts, text
    // import); null before it is open. A setMarkup replaces it.
    CTesselEdit* editor() const;

    QSize sizeHint() const override;

  public slots:
    void undo();
    void redo();

  signals:
    // The page changed: an edit, an undo or a redo (not setMarkup).
    void changed();
    // The cursor or the selection moved.
    void selectionChanged();
    // The character format at the cursor changed.
    void formatChanged();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // The page moved on the screen (the host's window moved, or the page inside it): the
    // editor's floating tool window moves with it.
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Private;
    std::unique_ptr<Private> d;
};
