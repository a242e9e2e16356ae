// Finding the project's other programs and starting them detached, through Qt's process
// launcher.

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
#include <system_error>
#include <utility>

namespace tessel::platform {
namespace {

namespace fs = std::filesystem;

ProgramStarter& TheStarter() {
    static auto* pStarter = new ProgramStarter;
    return *pStarter;
}

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

}  // namespace tessel::platform
