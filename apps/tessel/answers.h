#pragma once

// The answers a script queues for the modal windows a session opens (dialogs, message boxes,
// file dialogs), and the record of what was shown. While an Answerer lives it answers every
// such window of the process, each from the first queued answer that fits it.

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CDialog;

namespace tessel::play {

// One `answer` line, read.
struct QueuedAnswer {
    enum class Kind {
        kFile,        // answer file PATH | answer file cancel
        kMessageBox,  // answer yes | answer no
        kDialog,  // answer ID=VALUE ... press=ID snapshot=FILE ... ok|cancel (or a bare ok, cancel)
    };
    // One thing done in a dialog, in order: a value given to a control, a button pressed, or
    // the dialog's picture written to a file.
    struct Entry {
        int nID = 0;
        std::string strValue;  // GBK; a snapshot: the file's path (UTF-8)
        bool bPress = false;
        bool bSnapshot = false;
    };
    Kind kind = Kind::kDialog;
    std::optional<std::string> strPath;  // kFile: the path (GBK); nothing for Cancel
    int nButton = 0;                     // kMessageBox: IDYES or IDNO
    std::vector<Entry> entries;          // kDialog
    bool bOk = false;                    // kDialog: ends with OK (else Cancel)
    int nLine = 0;                       // the script line that queued it
};

// Reads the arguments of an `answer` line (UTF-8). Nothing, with the complaint, when they are
// not one of the forms.
std::optional<QueuedAnswer> ReadAnswerLine(std::string_view args, std::string& complaint);

class Answerer {
  public:
    // Reports (an unanswered window, a control a dialog does not have) go to reports, naming
    // the script line nLine holds at the time.
    Answerer(std::vector<std::string>& reports, const int& nLine);
    ~Answerer();
    Answerer(const Answerer&) = delete;
    Answerer& operator=(const Answerer&) = delete;

    void Queue(QueuedAnswer answer) { m_answers.push_back(std::move(answer)); }
    // The dialogs and message boxes shown since the last call, one a line:
    //   dialog "TITLE"
    //   message "CAPTION" "TEXT"
    std::string TakeShown();
    // The lines of the answers no window took.
    std::vector<int> UnusedLines() const;

  private:
    bool AnswerDialog(CDialog& dialog);
    void Report(const std::string& strWhat);
    // The first queued answer that fits, taken out of the queue.
    template <class Fits>
    std::optional<QueuedAnswer> Take(Fits fits);

    std::vector<std::string>& m_reports;
    const int& m_nLine;
    std::deque<QueuedAnswer> m_answers;
    std::string m_strShown;
    unsigned m_nLastDialog = 0;
};

}  // namespace tessel::play
