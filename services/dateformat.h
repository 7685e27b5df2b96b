#pragma once

#include <QDate>
#include <QString>

// The stored date as text in the user's short-date format, the way the store can keep it.
namespace services {

// The user's short-date format as the store can keep it: four-digit years, and only literal
// characters that survive the encoding (digits are written as Latin digits).
QString storableDatePattern(const QString& userFormat);
// A date as the store keeps it, in the current short-date format, and back; an invalid date
// when the text does not read as one under the current format.
QString dateToSettingText(QDate date);
QDate dateFromSettingText(const QString& text);
// Whether the text is one of the days from first to last as the store keeps it: the text of such
// a day reads back as that day, and the formatting takes far less code than the reading.
bool isSettingTextOfDays(const QString& text, QDate first, QDate last);

} // namespace services
