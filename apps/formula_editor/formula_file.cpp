#include "formula_file.h"

#include <QFile>
#include <QFileInfo>

#include <optional>
#include <string>

#include "platform/file_path.h"
#include "platform/gbk.h"

namespace tessel::formula_editor {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// Length of the well-formed UTF-8 sequence at p[i], 0 when the bytes there are not one.
int Utf8Length(const unsigned char* p, int n, int i) {
    const unsigned b0 = p[i];
    if (b0 < 0x80) return 1;
    int nLength = 0;
    char32_t c = 0, min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        nLength = 2, c = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        nLength = 3, c = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        nLength = 4, c = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + nLength > n) return 0;
    for (int k = 1; k < nLength; ++k) {
        const unsigned b = p[i + k];
        if ((b & 0xC0) != 0x80) return 0;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return nLength;
}

}  // namespace

bool IsWellFormedUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const int n = static_cast<int>(bytes.size());
    for (int i = 0; i < n;) {
        const int nLength = Utf8Length(p, n, i);
        if (nLength == 0) return false;
        i += nLength;
    }
    return true;
}

QString DecodeFormulaText(const QByteArray& bytes, FileFormat& format) {
    QByteArray body = bytes;
    format = {};
    if (body.startsWith(kByteOrderMark)) {
        format.bByteOrderMark = true;
        body.remove(0, 3);
    }
    QString strText;
    if (IsWellFormedUtf8(body)) {
        strText = QString::fromUtf8(body);
    } else {
        // The formula module skips the mark in front of GBK too.
        format.bGbk = true;
        const std::string utf8 =
            platform::GbkToUtf8(std::string_view(body.constData(), body.size()));
        strText = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    }
    format.bCrLf = strText.contains(QLatin1String("\r\n"));
    strText.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return strText;
}

QByteArray EncodeFormulaText(const QString& strText, const FileFormat& format) {
    QByteArray bytes;
    if (format.bByteOrderMark) bytes = kByteOrderMark;
    QByteArray body = strText.toUtf8();
    if (format.bCrLf) body.replace("\n", "\r\n");
    return bytes + body;
}

ReadResult ReadFormulaFile(const QString& strPath) {
    ReadResult result;
    const QFileInfo info(strPath);
    if (!info.exists() && !info.isSymLink()) {
        result.status = ReadStatus::kMissing;
        return result;
    }
    if (info.isFile() && info.size() > kMaxOpenBytes) {
        result.status = ReadStatus::kTooLarge;
        result.nBytes = info.size();
        return result;
    }
    // Only a regular file is read: a pipe or a device could keep the window waiting forever.
    const std::optional<std::string> bytes =
        platform::ReadRegularFile(QFile::encodeName(strPath).toStdString(), kMaxOpenBytes);
    if (!bytes) {
        result.status = ReadStatus::kUnreadable;
        return result;
    }
    result.status = ReadStatus::kRead;
    result.nBytes = static_cast<std::int64_t>(bytes->size());
    result.strText = DecodeFormulaText(
        QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size())), result.format);
    return result;
}

}  // namespace tessel::formula_editor
