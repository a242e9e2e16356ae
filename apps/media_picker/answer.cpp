#include "answer.h"

#include <algorithm>

namespace tessel::media_picker {

std::optional<std::int64_t> ParsePosition(const QString& strText) {
    if (strText.isEmpty()) return std::nullopt;
    std::int64_t nValue = 0;
    for (const QChar ch : strText) {
        if (ch < u'0' || ch > u'9') return std::nullopt;
        nValue = nValue * 10 + (ch.unicode() - u'0');
        // Checked at each digit, so a long run of digits cannot overflow.
        if (nValue > kMaxPositionMs) return std::nullopt;
    }
    return nValue;
}

QString AnswerLine(std::int64_t nBegin, std::int64_t nEnd) {
    return QStringLiteral("%1 %2\n").arg(std::min(nBegin, nEnd)).arg(std::max(nBegin, nEnd));
}

QString FormatTime(std::int64_t nMs) {
    if (nMs < 0) nMs = 0;
    const std::int64_t nHours = nMs / 3'600'000;
    const std::int64_t nMinutes = nMs / 60'000 % 60;
    const std::int64_t nSeconds = nMs / 1000 % 60;
    const QString strRest = QStringLiteral("%1.%2")
                                .arg(nSeconds, 2, 10, QLatin1Char('0'))
                                .arg(nMs % 1000, 3, 10, QLatin1Char('0'));
    if (nHours > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(nHours)
            .arg(nMinutes, 2, 10, QLatin1Char('0'))
            .arg(strRest);
    return QStringLiteral("%1:%2").arg(nMinutes).arg(strRest);
}

}  // namespace tessel::media_picker
