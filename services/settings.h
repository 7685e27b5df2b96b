#pragma once

#include <QString>

// The program's per-user store, which keeps one value: the date of the first start or of the
// last update reminder.
namespace services {

// Every key name and value of the store is kept shifted by 85 in the system's single-byte code
// page (platform/codepage.h), so that a casual look at the store shows no readable text. A character
// without a code there, or whose shifted code would leave 0..255, is dropped; texts of codes
// 0..170 come back unchanged.
QString EncodeSetting(const QString& text);
QString DecodeSetting(const QString& text);

inline constexpr int kSettingShift = 85;
// The highest code whose shifted form still fits the single-byte code page.
inline constexpr int kLastStorableCode = 255 - kSettingShift;
// Whether the character survives the store: it has a code, and one no higher than the above.
bool storable(QChar c);

// The one stored value, as plain text. Empty when the store holds none or cannot be read.
QString reminderDateText();
// False when the store could not be written.
bool saveReminderDateText(const QString& value);

} // namespace services
