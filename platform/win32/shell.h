#pragma once

// The program's own calls into the Windows API. No Qt in here: these build and run on their own,
// which is how they are tried under Wine (tests/wine).

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::win32 {

// UTF-16 text in the system's ANSI code page, the encoding the shell's ANSI entry points read.
// A character the code page lacks becomes the code page's substitute character (never a
// look-alike: a "best fit" could turn a full-width solidus into a real '/').
std::string toAnsi(std::wstring_view text);

// Hands a file or web address, already in the ANSI code page, to the shell's "Open" verb. True
// when the shell accepted it; the opening itself goes on in another process.
bool shellOpen(const std::string& ansiAddress);

// Puts a native window, named by its id (the value of its HWND), above every window that is not
// topmost, without moving, sizing, activating or showing it. True when the window system
// accepted the change.
bool makeTopmost(std::uintptr_t window);

} // namespace platform::win32
