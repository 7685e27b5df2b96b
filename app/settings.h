#pragma once

#include <QDate>
#include <QString>

namespace app {

// Every key name and value of the store is kept shifted by 85 in the single-byte code page, so
// that a casual look at the store shows no readable text. A character whose shifted code would
// leave 0..255 is dropped; texts of codes 0..170 come back unchanged.
QString EncodeSetting(const QString& text);
QString DecodeSetting(const QString& text);

// The one stored value: the date of the first start or of the last update reminder, as plain
// text. Empty when the store holds none or cannot be read.
QString GetDuration();
// False when the store could not be written.
bool SaveDuration(const QString& value);

// The user's short-date format as the store can keep it: four-digit years, and only literal
// characters that survive the encoding (digits are written as Latin digits).
QString storableDatePattern(const QString& userFormat);
// A date as the store keeps it, in the current short-date format, and back; an invalid date
// when the text does not read as one under the current format.
QString dateToSettingText(QDate date);
QDate dateFromSettingText(const QString& text);

// Asks at start-up, at most once every fifteen days, whether to look for an update.
void RunUpdateReminder() noexcept;

} // namespace app
