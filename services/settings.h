#pragma once

#include <QString>

// The program's per-user store, which keeps one value: the date of the first start or of the
// last update reminder.
namespace services {

// Every key name and value of the store is kept shifted by 85 in the single-byte code page, so
// that a casual look at the store shows no readable text. A character whose shifted code would
// leave 0..255 is dropped; texts of codes 0..170 come back unchanged.
QString EncodeSetting(const QString& text);
QString DecodeSetting(const QString& text);

inline constexpr int kSettingShift = 85;
// The highest code whose shifted form still fits the single-byte code page.
inline constexpr char16_t kLastStorableCode = 255 - kSettingShift;
bool storable(QChar c);

// The one stored value, as plain text. Empty when the store holds none or cannot be read.
QString GetDuration();
// False when the store could not be written.
bool SaveDuration(const QString& value);

} // namespace services
