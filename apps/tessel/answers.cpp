#include "answers.h"

#include <charconv>
#include <filesystem>
#include <utility>

#include "json.h"
#include "platform/dialog.h"
#include "platform/file_dialog.h"
#include "platform/gbk.h"
#include "platform/program.h"
#include "platform/wnd.h"
#include "widgets/event_dialog.h"

namespace tessel::play {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The next word of a dialog answer: ID=VALUE (VALUE in double quotes when it has blanks,
// with \" and \\ inside), press=ID, ok or cancel. Unquoted words end at a blank.
std::optional<std::string> NextToken(std::string_view& rest, std::string& complaint) {
    while (!rest.empty() && IsBlank(rest.front()))
        rest.remove_prefix(1);
    std::string token;
    while (!rest.empty() && !IsBlank(rest.front())) {
        const char c = rest.front();
        rest.remove_prefix(1);
        if (c != '"') {
            token += c;
            continue;
        }
        for (;;) {
            if (rest.empty()) {
                complaint = "a quoted value has no closing \"";
                return std::nullopt;
            }
            char q = rest.front();
            rest.remove_prefix(1);
            if (q == '"') break;
            if (q == '\\' && !rest.empty() && (rest.front() == '"' || rest.front() == '\\')) {
                q = rest.front();
                rest.remove_prefix(1);
            }
            token += q;
        }
    }
    return token;
}

// Whether the text is well-formed UTF-8 (what a script's answers are written in).
bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int n = c < 0x80             ? 0
                      : (c & 0xE0) == 0xC0 ? 1
                      : (c & 0xF0) == 0xE0 ? 2
                      : (c & 0xF8) == 0xF0 ? 3
                                           : -1;
        if (n < 0 || (n == 1 && c < 0xC2)) return false;
        for (int k = 1; k <= n; ++k)
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += static_cast<std::size_t>(n) + 1;
    }
    return true;
}

// The hot-link dialog's play position fields, which the media-position picker fills: its
// answer names them.
constexpr int kPickerBegin = CEventDlg::IDC_PLAY_BEGIN;
constexpr int kPickerEnd = CEventDlg::IDC_PLAY_END;

bool ReadId(std::string_view word, int& nID) {
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), nID);
    return !word.empty() && ec == std::errc() && end == word.data() + word.size() && nID > 0;
}

// A GBK text, as UTF-8 in double quotes with the escapes of a JSON string.
void AppendQuoted(std::string& out, std::string_view gbk) {
    cli::AppendJsonString(out, platform::GbkToUtf8(gbk));
}

}  // namespace

std::optional<QueuedAnswer> ReadAnswerLine(std::string_view args, std::string& complaint) {
    QueuedAnswer answer;
    if (!IsUtf8(args)) {
        complaint = "the answer is not UTF-8";
        return std::nullopt;
    }
    while (!args.empty() && IsBlank(args.back()))
        args.remove_suffix(1);
    while (!args.empty() && IsBlank(args.front()))
        args.remove_prefix(1);
    if (args.starts_with("file") && (args.size() == 4 || IsBlank(args[4]))) {
        std::string_view strPath = args.substr(4);
        while (!strPath.empty() && IsBlank(strPath.front()))
            strPath.remove_prefix(1);
        if (strPath.empty()) {
            complaint = "needs the path of the file chosen, or cancel";
            return std::nullopt;
        }
        answer.kind = QueuedAnswer::Kind::kFile;
        if (strPath != "cancel") answer.strPath = platform::Utf8ToGbk(strPath);
        return answer;
    }
    if (args == "yes" || args == "no") {
        answer.kind = QueuedAnswer::Kind::kMessageBox;
        answer.nButton = args == "yes" ? IDYES : IDNO;
        return answer;
    }
    std::string_view rest = args;
    bool bEnded = false;
    while (!rest.empty()) {
        const std::optional<std::string> token = NextToken(rest, complaint);
        if (!token) return std::nullopt;
        if (token->empty()) break;
        if (bEnded) {
            complaint = "nothing may follow ok or cancel";
            return std::nullopt;
        }
        if (*token == "ok" || *token == "cancel") {
            answer.bOk = *token == "ok";
            bEnded = true;
            continue;
        }
        const std::size_t nEquals = token->find('=');
        if (nEquals == std::string::npos) {
            complaint = "unknown answer \"" + *token +
                        "\" (yes, no, ok, cancel, file PATH, or a "
                        "dialog's ID=VALUE ... ended by ok or cancel)";
            return std::nullopt;
        }
        const std::string strLeft = token->substr(0, nEquals);
        const std::string strRight = token->substr(nEquals + 1);
        QueuedAnswer::Entry entry;
        if (strLeft == "snapshot") {
            entry.bSnapshot = true;
            entry.strValue = strRight;
            if (strRight.empty()) {
                complaint = "snapshot= needs the file the dialog's picture is written to";
                return std::nullopt;
            }
        } else if (strLeft == "press") {
            entry.bPress = true;
            if (!ReadId(strRight, entry.nID)) {
                complaint = "press=" + strRight + " does not name a control id";
                return std::nullopt;
            }
        } else {
            if (!ReadId(strLeft, entry.nID)) {
                complaint = "\"" + strLeft + "\" is not a control id";
                return std::nullopt;
            }
            entry.strValue = platform::Utf8ToGbk(strRight);
        }
        answer.entries.push_back(std::move(entry));
    }
    if (!bEnded) {
        complaint = args.empty() ? "needs the answer (yes, no, ok, cancel, file PATH, or a "
                                   "dialog's ID=VALUE ... ended by ok or cancel)"
                                 : "a dialog's answer ends with ok or cancel";
        return std::nullopt;
    }
    answer.kind = QueuedAnswer::Kind::kDialog;
    return answer;
}

Answerer::Answerer(std::vector<std::string>& reports, const int& nLine)
    : m_reports(reports), m_nLine(nLine) {
    using Kind = QueuedAnswer::Kind;
    platform::SetDialogAnswerer([this](CDialog& dialog) { return AnswerDialog(dialog); });
    platform::SetMessageBoxAnswerer(
        [this](const platform::MessageBoxRequest& request) -> std::optional<int> {
            m_strShown += "message ";
            AppendQuoted(m_strShown, request.strCaption);
            m_strShown += ' ';
            AppendQuoted(m_strShown, request.strText);
            m_strShown += '\n';
            const UINT nType = request.nType & MB_TYPEMASK;
            const bool bHasOk = nType == MB_OK || nType == MB_OKCANCEL;
            const bool bHasYesNo = nType == MB_YESNO || nType == MB_YESNOCANCEL;
            const bool bHasCancel = nType != MB_OK && nType != MB_YESNO;
            std::optional<QueuedAnswer> answer = Take([&](const QueuedAnswer& a) {
                if (a.kind == Kind::kMessageBox) return bHasYesNo;
                return a.kind == Kind::kDialog && a.entries.empty() &&
                       (a.bOk ? bHasOk : bHasCancel);
            });
            if (!answer) {
                Report("a message box got its safe answer: no answer queued");
                return std::nullopt;
            }
            if (answer->kind == Kind::kMessageBox) return answer->nButton;
            return answer->bOk ? IDOK : IDCANCEL;
        });
    // The media-position picker is answered like a dialog whose fields are the two play
    // positions of the hot-link dialog it reports to.
    platform::SetReplyingProgramStarter([this](const std::string& program,
                                               const std::vector<std::string>& args,
                                               const platform::ProgramReply& reply) {
        m_strShown += "program ";
        cli::AppendJsonString(m_strShown, std::filesystem::path(program).filename().string());
        for (const std::string& arg : args) {
            m_strShown += ' ';
            cli::AppendJsonString(m_strShown, arg);
        }
        m_strShown += '\n';
        std::optional<QueuedAnswer> answer = Take([](const QueuedAnswer& a) {
            if (a.kind != Kind::kDialog) return false;
            if (a.entries.empty()) return !a.bOk;
            for (const QueuedAnswer::Entry& entry : a.entries)
                if (entry.bPress || entry.bSnapshot ||
                    (entry.nID != kPickerBegin && entry.nID != kPickerEnd))
                    return false;
            return a.bOk;
        });
        if (!answer) {
            Report("the program \"" + program + "\" was closed: no answer queued");
            reply({});
            return true;
        }
        if (!answer->bOk) {
            reply({});
            return true;
        }
        std::string strBegin = "0", strEnd = "0";
        for (const QueuedAnswer::Entry& entry : answer->entries)
            (entry.nID == kPickerBegin ? strBegin : strEnd) = entry.strValue;
        reply(strBegin + ' ' + strEnd + '\n');
        return true;
    });
    platform::SetFileDialogAnswerer([this](const CFileDialog&) -> std::optional<std::string> {
        std::optional<QueuedAnswer> answer = Take([](const QueuedAnswer& a) {
            return a.kind == Kind::kFile ||
                   (a.kind == Kind::kDialog && a.entries.empty() && !a.bOk);
        });
        if (!answer) {
            Report("a file dialog was cancelled: no answer queued");
            return std::nullopt;
        }
        return answer->strPath;
    });
}

Answerer::~Answerer() {
    platform::SetDialogAnswerer({});
    platform::SetMessageBoxAnswerer({});
    platform::SetFileDialogAnswerer({});
    platform::SetReplyingProgramStarter({});
}

template <class Fits>
std::optional<QueuedAnswer> Answerer::Take(Fits fits) {
    for (auto it = m_answers.begin(); it != m_answers.end(); ++it) {
        if (!fits(*it)) continue;
        QueuedAnswer answer = std::move(*it);
        m_answers.erase(it);
        return answer;
    }
    return std::nullopt;
}

bool Answerer::AnswerDialog(CDialog& dialog) {
    // A dialog that refused its OK is met again: it is shown once.
    if (dialog.ModalSerial() != m_nLastDialog) {
        m_nLastDialog = dialog.ModalSerial();
        m_strShown += "dialog ";
        AppendQuoted(m_strShown, dialog.GetWindowText());
        m_strShown += '\n';
    }
    std::optional<QueuedAnswer> answer =
        Take([](const QueuedAnswer& a) { return a.kind == QueuedAnswer::Kind::kDialog; });
    const std::string strTitle = platform::GbkToUtf8(dialog.GetWindowText());
    if (!answer) {
        Report("the dialog \"" + strTitle + "\" was cancelled: no answer queued");
        return false;
    }
    for (const QueuedAnswer::Entry& entry : answer->entries) {
        if (dialog.IsEnded()) break;
        if (entry.bSnapshot) {
            if (!dialog.SavePicture(entry.strValue))
                Report("the picture of the dialog \"" + strTitle + "\" cannot be written to \"" +
                       entry.strValue + "\"");
            continue;
        }
        if (!dialog.HasItem(entry.nID)) {
            Report("the dialog \"" + strTitle + "\" has no control " + std::to_string(entry.nID));
            continue;
        }
        const bool bDone = entry.bPress ? dialog.AnswerPress(entry.nID)
                                        : dialog.AnswerValue(entry.nID, entry.strValue);
        if (!bDone)
            Report("control " + std::to_string(entry.nID) + " of the dialog \"" + strTitle +
                   "\" did not take " +
                   (entry.bPress ? std::string("the press")
                                 : "\"" + platform::GbkToUtf8(entry.strValue) + "\""));
        // What the control set going (a program started by a button, say) answers between
        // one action of the user and the next.
        platform::ProcessEvents();
    }
    if (!dialog.IsEnded()) dialog.AnswerPress(answer->bOk ? IDOK : IDCANCEL);
    return true;
}

void Answerer::Report(const std::string& strWhat) {
    m_reports.push_back("script line " + std::to_string(m_nLine) + ": " + strWhat);
}

std::string Answerer::TakeShown() {
    return std::exchange(m_strShown, std::string());
}

std::vector<int> Answerer::UnusedLines() const {
    std::vector<int> lines;
    for (const QueuedAnswer& answer : m_answers)
        lines.push_back(answer.nLine);
    return lines;
}

}  // namespace tessel::play
