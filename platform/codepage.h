#pragma once

#include <QChar>

#include <optional>

// The system's single-byte code page, in which the settings store keeps its shifted codes: on
// Windows the ANSI code page (1252 on a Western system, where code 153 is "™"), elsewhere the
// first 256 characters of Unicode (Latin-1).
//
// The East Asian code pages and UTF-8 have no one-byte code for most characters, and a lone
// byte above 127 is no character there; a system with such an ANSI code page keeps the codes as
// Latin-1 too, so that every code 0 to 255 still stands for one character and reads back.
namespace platform {

// The character's code, 0 to 255, or nothing when the code page has no code for it.
std::optional<int> singleByteCode(QChar c);

// The character with that code, or nothing when the code page gives it none.
std::optional<QChar> fromSingleByteCode(int code);

} // namespace platform
