// Finding the project's other programs and starting them, through Qt's process launcher:
// detached, or kept on a pipe whose output is handed back when the program ends.

#include "platform/program.h"

#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

namespace tessel::platform {
namespace {

namespace fs = std::filesystem;

ProgramStarter& TheStarter() {
    static auto* pStarter = new ProgramStarter;
    return *pStarter;
}

ReplyingProgramStarter& TheReplyingStarter() {
    static auto* pStarter = new ReplyingProgramStarter;
    return *pStarter;
}

// An answering program says a line or two; what goes past this much is not an answer, and is
// not kept (the reply is then empty), so a runaway program cannot fill the memory.
constexpr qsizetype kMaxReplyBytes = 1 << 20;

bool IsProgram(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

// The folder of the running program: where /proc/self/exe leads, else what Qt knows of it.
std::optional<fs::path> OwnFolder() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (!error && !exe.empty()) return exe.parent_path();
    if (QCoreApplication::instance()) {
        const QByteArray dir = QFile::encodeName(QCoreApplication::applicationDirPath());
        if (!dir.isEmpty()) return fs::path(dir.toStdString());
    }
    return std::nullopt;
}

QString Native(const std::string& name) {
    return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

}  // namespace

std::optional<std::string> FindProgram(std::string_view name) {
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string_view::npos) {
        if (IsProgram(fs::path(name))) return std::string(name);
        return std::nullopt;
    }
    if (const std::optional<fs::path> folder = OwnFolder(); folder && IsProgram(*folder / name))
        return (*folder / name).string();
    const char* szPath = std::getenv("PATH");
    std::string_view rest = szPath ? szPath : "";
    while (!rest.empty()) {
        const std::size_t nColon = rest.find(':');
        const std::string_view folder = rest.substr(0, nColon);
        rest = nColon == std::string_view::npos ? std::string_view() : rest.substr(nColon + 1);
        // An empty entry would mean the current directory, which is not searched.
        if (folder.empty()) continue;
        const fs::path candidate = fs::path(folder) / name;
        if (IsProgram(candidate)) return candidate.string();
    }
    return std::nullopt;
}

bool StartProgram(const std::string& path, const std::vector<std::string>& args) {
    if (const ProgramStarter& starter = TheStarter()) return starter(path, args);
    if (path.empty()) return false;
    QStringList arguments;
    for (const std::string& arg : args)
        arguments << Native(arg);
    return QProcess::startDetached(Native(path), arguments);
}

void SetProgramStarter(ProgramStarter starter) {
    TheStarter() = std::move(starter);
}

bool StartProgramForReply(const std::string& path, const std::vector<std::string>& args,
                          ProgramReply reply) {
    if (const ReplyingProgramStarter& starter = TheReplyingStarter())
        return starter(path, args, std::move(reply));
    // The reply comes from the event loop, so without an application there is none to wait in.
    if (path.empty() || !QCoreApplication::instance()) return false;
    QStringList arguments;
    for (const std::string& arg : args)
        arguments << Native(arg);

    // The process object lives on the heap with no parent: nothing waits for the program, and
    // the object goes when the program has ended. A program still running when this one ends
    // is left to itself; its pipe then leads nowhere.
    auto* pProcess = new QProcess;
    // Nothing is written to the program: its input is empty, so a program that reads it does
    // not wait for us. What it says on standard error goes where ours goes.
    pProcess->setStandardInputFile(QProcess::nullDevice());
    pProcess->setProcessChannelMode(QProcess::ForwardedErrorChannel);

    struct Pending {
        QByteArray output;
        bool bTooLong = false;
        ProgramReply reply;
    };
    auto pPending = std::make_shared<Pending>();
    pPending->reply = std::move(reply);

    // Output is collected as it comes, so a program that says too much is cut off from memory
    // while it runs, not only at its end.
    QObject::connect(pProcess, &QProcess::readyReadStandardOutput, pProcess, [pProcess, pPending] {
        const QByteArray chunk = pProcess->readAllStandardOutput();
        if (pPending->bTooLong) return;
        if (pPending->output.size() + chunk.size() > kMaxReplyBytes) {
            pPending->bTooLong = true;
            pPending->output.clear();
            return;
        }
        pPending->output += chunk;
    });
    QObject::connect(
        pProcess, &QProcess::finished, pProcess,
        [pProcess, pPending](int, QProcess::ExitStatus status) {
            const QByteArray rest = pProcess->readAllStandardOutput();
            if (!pPending->bTooLong && pPending->output.size() + rest.size() <= kMaxReplyBytes)
                pPending->output += rest;
            else
                pPending->bTooLong = true;
            // A program that crashed or was killed did not run to its end: what it
            // wrote before is not its answer.
            const bool bWhole = status == QProcess::NormalExit && !pPending->bTooLong;
            const std::string strOutput = bWhole ? pPending->output.toStdString() : std::string();
            // Taken out first, so it is called once even if Qt says "finished" again.
            ProgramReply replyNow = std::move(pPending->reply);
            pPending->reply = nullptr;
            pProcess->deleteLater();
            if (replyNow) replyNow(strOutput);
        });

    pProcess->start(Native(path), arguments);
    // Waits only for the program to be under way (the launcher reports a failed exec at once),
    // never for it to end.
    if (!pProcess->waitForStarted()) {
        // Nothing more comes from a process that never started; the reply is dropped unsaid.
        pPending->reply = nullptr;
        pProcess->disconnect();
        pProcess->deleteLater();
        return false;
    }
    return true;
}

void SetReplyingProgramStarter(ReplyingProgramStarter starter) {
    TheReplyingStarter() = std::move(starter);
}

}  // namespace tessel::platform
