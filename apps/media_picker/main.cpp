// tessel-media-picker: the "Select Begin" window of the page editor's hot-link dialog
// (docs/media_picker.md). The dialog starts it on the media file's path and reads its answer
// from standard output:
//
//   tessel-media-picker MEDIA-FILE
//   tessel-media-picker --answer BEGIN END [MEDIA-FILE]
//   tessel-media-picker --help | --version
//
// OK writes the line "BEGIN END" (milliseconds from the start of the media, the smaller
// first) and ends with status 0; Cancel writes nothing and ends with 1. --answer opens no
// window: it checks the file when one is given and writes the line at once, for scripts and
// tests. A wrong command line or a file that cannot be read ends with 2 and a message on
// standard error.

#include <signal.h>

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "answer.h"
#include "picker_window.h"

namespace {

using tessel::media_picker::AnswerLine;
using tessel::media_picker::ParsePosition;

constexpr char kUsage[] =
    "usage: tessel-media-picker MEDIA-FILE\n"
    "       tessel-media-picker --answer BEGIN END [MEDIA-FILE]\n"
    "       tessel-media-picker --help | --version\n"
    "Plays the media and writes \"BEGIN END\" (milliseconds) when OK is pressed.\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// A file the player can be given: a regular file that opens for reading (a folder, a device
// or a pipe is refused, and nothing is read from it).
bool CheckMediaFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    const char* szWhy = nullptr;
    if (error || !std::filesystem::exists(status))
        szWhy = "no such file";
    else if (!std::filesystem::is_regular_file(status))
        szWhy = "not a file";
    else if (QFile file(QFile::decodeName(path.c_str())); !file.open(QIODevice::ReadOnly))
        szWhy = "cannot be opened for reading";
    if (szWhy == nullptr) return true;
    std::fprintf(stderr, "tessel-media-picker: %s: %s\n", path.c_str(), szWhy);
    return false;
}

// Writes the answer line; false (after a message) when it could not be written whole.
bool WriteAnswer(const QString& strLine) {
    const QByteArray line = strLine.toLatin1();
    if (std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout) !=
            static_cast<std::size_t>(line.size()) ||
        std::fflush(stdout) != 0) {
        std::fputs("tessel-media-picker: the answer could not be written\n", stderr);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that has gone (the dialog closed) makes writing fail instead of ending us.
    ::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);

    if (args.size() == 1 && args[0] == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::printf("tessel-media-picker %s\n", TESSEL_VERSION);
        return 0;
    }
    if (!args.empty() && args[0] == "--answer") {
        if (args.size() != 3 && args.size() != 4) return Usage();
        const std::optional<std::int64_t> nBegin = ParsePosition(QString::fromUtf8(args[1]));
        const std::optional<std::int64_t> nEnd = ParsePosition(QString::fromUtf8(args[2]));
        if (!nBegin || !nEnd) {
            std::fprintf(stderr,
                         "tessel-media-picker: a position is a number of milliseconds, at most "
                         "%lld\n",
                         static_cast<long long>(tessel::media_picker::kMaxPositionMs));
            return 2;
        }
        if (args.size() == 4 && !CheckMediaFile(args[3])) return 2;
        return WriteAnswer(AnswerLine(*nBegin, *nEnd)) ? 0 : 1;
    }

    // One media file, possibly after "--" (a name that begins with "-").
    std::size_t nFile = 0;
    if (!args.empty() && args[0] == "--") nFile = 1;
    if (args.size() != nFile + 1 || (nFile == 0 && args[0].starts_with('-'))) return Usage();
    const std::string& path = args[nFile];
    if (!CheckMediaFile(path)) return 2;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tessel-media-picker"));
    tessel::media_picker::PickerWindow window;
    window.OpenMedia(QFile::decodeName(path.c_str()));
    if (window.exec() != QDialog::Accepted || window.Answer().isEmpty()) return 1;
    return WriteAnswer(window.Answer()) ? 0 : 1;
}
