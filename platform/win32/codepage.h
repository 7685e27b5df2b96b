#pragma once

// The system's ANSI code page one character at a time, for texts kept as single-byte codes. No
// Qt in here (see shell.h).

namespace platform::win32 {

// True when every character of the ANSI code page is one byte (not so for the East Asian code
// pages, where most characters take two, nor for UTF-8).
bool ansiIsSingleByte();

// The byte that stands for the character in the ANSI code page, or -1 when the code page has
// no byte of its own for it (never a look-alike: no "best fit").
int ansiByteOf(wchar_t c);

// The character one byte of the ANSI code page stands for, or -1 when it stands for none on
// its own (a lead byte of a two-byte character).
int charOfAnsiByte(unsigned char byte);

} // namespace platform::win32
