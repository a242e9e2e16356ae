// The user's settings through QSettings; GBK is converted to UTF-8 at this boundary.

#include "platform/settings.h"

#include <QFile>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <utility>

#include "platform/gbk.h"

namespace tessel::platform {
namespace {

std::string& TheSettingsFile() {
    static auto* pPath = new std::string;
    return *pPath;
}

std::unique_ptr<QSettings> OpenSettings() {
    const std::string& strPath = TheSettingsFile();
    if (strPath.empty())
        return std::make_unique<QSettings>(QStringLiteral("Tessel"), QStringLiteral("Tessel"));
    return std::make_unique<QSettings>(
        QFile::decodeName(QByteArray(strPath.data(), static_cast<qsizetype>(strPath.size()))),
        QSettings::IniFormat);
}

QString Key(std::string_view key) {
    return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

}  // namespace

std::vector<std::string> ReadUserStrings(std::string_view key) {
    const std::unique_ptr<QSettings> pSettings = OpenSettings();
    const QStringList texts = pSettings->value(Key(key)).toStringList();
    std::vector<std::string> values;
    values.reserve(static_cast<std::size_t>(texts.size()));
    for (const QString& text : texts) {
        const QByteArray utf8 = text.toUtf8();
        values.push_back(
            Utf8ToGbk(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size()))));
    }
    return values;
}

void WriteUserStrings(std::string_view key, const std::vector<std::string>& values) {
    const std::unique_ptr<QSettings> pSettings = OpenSettings();
    if (values.empty()) {
        pSettings->remove(Key(key));
    } else {
        QStringList texts;
        for (const std::string& value : values)
            texts << QString::fromStdString(GbkToUtf8(value));
        pSettings->setValue(Key(key), texts);
    }
    pSettings->sync();
}

void SetSettingsFile(std::string strPath) {
    TheSettingsFile() = std::move(strPath);
}

}  // namespace tessel::platform
