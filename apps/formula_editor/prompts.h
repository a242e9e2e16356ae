#pragma once

#include <QString>

class QWidget;

namespace tessel::formula_editor {

// Everything the window asks or tells the user in a dialog of its own goes through here, so
// that a test (or a run without a user, see main.cpp) can answer in the user's place. The
// defaults show Qt's message boxes and file dialogs.
class Prompts {
  public:
    enum class Answer { kSave, kDiscard, kCancel };

    virtual ~Prompts() = default;

    // The text of strName has changes that are not saved: save them, throw them away, or
    // stay (cancel what was about to happen).
    virtual Answer AskToSaveChanges(QWidget* pParent, const QString& strName);
    // A formula file to open; empty when the user cancels.
    virtual QString AskOpenPath(QWidget* pParent, const QString& strDir);
    // Where to save; strSuggested is a file name or folder to start from. Empty when the user
    // cancels.
    virtual QString AskSavePath(QWidget* pParent, const QString& strSuggested);
    // Something went wrong, or the user should know something before going on.
    virtual void Warn(QWidget* pParent, const QString& strText);
};

}  // namespace tessel::formula_editor
