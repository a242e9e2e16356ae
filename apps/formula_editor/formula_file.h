#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// Reading and writing the text of a formula file (docs/formula_editor.md, "Saving and
// encoding"). The editor works on Unicode text; these keep what the bytes on disk need to be
// written back the way the file had them.
namespace tessel::formula_editor {

// Files larger than this are not opened at all: no formula is anywhere near it, and a text
// box full of megabytes of something else helps nobody. (Pages read at most 64 KB.)
inline constexpr std::int64_t kMaxOpenBytes = 1024 * 1024;

// How a file's text was stored.
struct FileFormat {
    bool bByteOrderMark = false;  // UTF-8 with a byte-order mark at the start
    bool bCrLf = false;           // lines end with CR LF
    bool bGbk = false;            // not well-formed UTF-8, read as GBK
};

enum class ReadStatus {
    kRead,        // the file was read (it may be empty)
    kMissing,     // there is no such file: a new one
    kTooLarge,    // larger than kMaxOpenBytes
    kUnreadable,  // a folder, a device, no permission, ...
};

struct ReadResult {
    ReadStatus status = ReadStatus::kUnreadable;
    QString strText;  // lines separated by "\n"
    FileFormat format;
    std::int64_t nBytes = 0;  // the file's size
};

// Reads a formula file by the rules the formula module reads it by: UTF-8 (a byte-order mark
// is skipped), or GBK when the bytes are not well-formed UTF-8.
ReadResult ReadFormulaFile(const QString& strPath);

// The text decoded by the same rules; format receives what was found.
QString DecodeFormulaText(const QByteArray& bytes, FileFormat& format);

// The bytes to write for the text: always UTF-8, with the byte-order mark and CR LF line ends
// when the format has them. A GBK file is written as UTF-8 (its bGbk is not looked at).
QByteArray EncodeFormulaText(const QString& strText, const FileFormat& format);

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or truncated
// sequences), the test that tells the formula module a UTF-8 file from a GBK one.
bool IsWellFormedUtf8(const QByteArray& bytes);

}  // namespace tessel::formula_editor
