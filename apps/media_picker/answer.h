#pragma once

// The picker's answer: the begin and the end of a stretch of the media, in milliseconds from
// its start, written as one line on standard output.

#include <QString>

#include <cstdint>
#include <optional>

namespace tessel::media_picker {

// The largest position held: the editor passes the two numbers on as a message's two
// parameters, and a day of media is far below it.
inline constexpr std::int64_t kMaxPositionMs = 2'147'483'647;

// A position as written on a command line: decimal digits only (no sign, no spaces), at most
// kMaxPositionMs. Nothing for anything else.
std::optional<std::int64_t> ParsePosition(const QString& strText);

// The line "BEGIN END\n". A begin after the end is taken as the two marks set in the other
// order: the smaller one is written first.
QString AnswerLine(std::int64_t nBegin, std::int64_t nEnd);

// A position as the window shows it: minutes:seconds.milliseconds ("1:05.250"), with hours
// in front when there are any ("1:02:03.004").
QString FormatTime(std::int64_t nMs);

}  // namespace tessel::media_picker
