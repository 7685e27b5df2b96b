#include "platform/win32/shell.h"

#include "platform/win32/api.h"

#include <climits>
// Builds on the Windows API header above.
#include <shellapi.h>

namespace platform::win32 {

std::string toAnsi(std::wstring_view text)
{
    // Longer text than the API can count is no address anyone can open.
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX))
        return {};
    // A UTF-8 ANSI code page (a Windows 10 option) refuses the no-best-fit flag, and needs none.
    const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string ansi(static_cast<std::size_t>(size), '\0');
    if (WideCharToMultiByte(CP_ACP, flags, text.data(), length, ansi.data(), size, nullptr, nullptr) != size)
        return {};
    return ansi;
}

bool shellOpen(const std::string& ansiAddress)
{
    // Nothing to open, or a NUL the shell would cut the address at: never a partial address.
    if (ansiAddress.empty() || ansiAddress.find('\0') != std::string::npos)
        return false;
    // The shell reports success as any value above 32; smaller values are its error codes.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "Open", ansiAddress.c_str(), nullptr, "C:\\", SW_SHOWNORMAL));
    return result > 32;
}

bool makeTopmost(std::uintptr_t window)
{
    // No SWP_SHOWWINDOW: the caller's toolkit keeps track of visibility, and a window shown
    // behind its back could no longer be hidden.
    return SetWindowPos(reinterpret_cast<HWND>(window), HWND_TOPMOST, 0, 0, 0, 0,
                        SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE) != FALSE;
}

} // namespace platform::win32
