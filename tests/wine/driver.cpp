// Runs the program's Windows layer (platform/win32) under Wine: the addresses of the list through the
// same conversion and shell call as the program, a failing open, the topmost windows, what the
// ANSI conversion does to text it cannot hold, and the code page's single bytes. One line per
// check, "ok" or "FAILED"; the exit status is 1 when any check failed. Whether the addresses
// arrived is for the caller to see.
//
//   driver.exe <address list: UTF-8, one address a line>
#include "platform/win32/api.h"
#include "platform/win32/codepage.h"
#include "platform/win32/shell.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>
// OLE's header builds on the one above.
#include <ole2.h>

namespace {

bool allPassed = true;

void report(bool passed, const char* name, const std::string& detail)
{
    std::printf("%-7s %s: %s\n", passed ? "ok" : "FAILED", name, detail.c_str());
    std::fflush(stdout);
    allPassed = allPassed && passed;
}

void note(const std::string& detail)
{
    std::printf("        %s\n", detail.c_str());
    std::fflush(stdout);
}

// Invalid UTF-8 gives nothing rather than a guess.
std::wstring fromUtf8(const std::string& bytes)
{
    if (bytes.empty())
        return {};
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), length, wide.data(), size);
    return wide;
}

std::string hex(const std::string& bytes)
{
    std::string out;
    char buffer[4];
    for (const unsigned char c : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X ", c);
        out += buffer;
    }
    if (!out.empty())
        out.pop_back();
    return out;
}

bool printableAscii(const std::string& bytes)
{
    for (const unsigned char c : bytes) {
        if (c < 0x21 || c > 0x7E)
            return false;
    }
    return true;
}

void checkAddresses(const std::vector<std::string>& addresses)
{
    std::size_t unchanged = 0;
    for (const std::string& address : addresses) {
        const std::wstring wide = fromUtf8(address);
        const std::string ansi = platform::win32::toAnsi(wide);
        if (printableAscii(address) && !wide.empty() && ansi == address) {
            ++unchanged;
        } else {
            report(false, "conversion", "not kept byte for byte: " + address);
            note("gave " + hex(ansi));
        }
    }
    report(unchanged == addresses.size() && !addresses.empty(), "conversion",
           std::to_string(unchanged) + " of " + std::to_string(addresses.size()) +
               " addresses are printable ASCII and convert to exactly their own bytes");

    std::size_t accepted = 0;
    for (const std::string& address : addresses) {
        if (platform::win32::shellOpen(platform::win32::toAnsi(fromUtf8(address))))
            ++accepted;
        else
            report(false, "shell open", "refused: " + address);
    }
    report(accepted == addresses.size() && !addresses.empty(), "shell open",
           std::to_string(accepted) + " of " + std::to_string(addresses.size()) +
               " addresses accepted by the shell");
}

void checkFailedOpen()
{
    const std::string missing =
        "C:\\tolvy-sarnavel-missing-" + std::to_string(GetCurrentProcessId()) + "\\no-such-page.html";
    const bool opened = platform::win32::shellOpen(missing);
    report(!opened, "failed open",
           std::string("a file that does not exist gives ") + (opened ? "true" : "false"));
    const bool empty = platform::win32::shellOpen(std::string());
    const bool cut = platform::win32::shellOpen(std::string("http://a.example/\0b", 19));
    report(!empty && !cut, "failed open",
           std::string("an empty address gives ") + (empty ? "true" : "false") + ", one with a NUL in it " +
               (cut ? "true" : "false"));
}

// Lets the window system catch up with what was asked of it.
void pump()
{
    for (int round = 0; round < 5; ++round) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
}

HWND makeWindow(const wchar_t* title, int x)
{
    return CreateWindowExW(0, L"TolvyWineCheck", title, WS_OVERLAPPEDWINDOW, x, 100, 300, 200, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

bool topmost(HWND window)
{
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool sameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// True when the first window lies above the second in the z-order.
bool above(HWND upper, HWND lower)
{
    for (HWND w = GetWindow(lower, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        if (w == upper)
            return true;
    }
    return false;
}

std::string yesNo(bool value)
{
    return value ? "yes" : "no";
}

void checkTopmost()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TolvyWineCheck";
    if (!RegisterClassW(&windowClass)) {
        report(false, "topmost", "cannot register a window class");
        return;
    }

    const HWND hidden = makeWindow(L"hidden", 100);
    RECT before{}, after{};
    GetWindowRect(hidden, &before);
    const bool hiddenCall = platform::win32::makeTopmost(reinterpret_cast<std::uintptr_t>(hidden));
    pump();
    GetWindowRect(hidden, &after);
    report(hiddenCall && topmost(hidden) && !IsWindowVisible(hidden) && sameRect(before, after),
           "topmost (hidden)",
           "call succeeded " + yesNo(hiddenCall) + ", WS_EX_TOPMOST " + yesNo(topmost(hidden)) +
               ", visible " + yesNo(IsWindowVisible(hidden)) + ", unmoved " + yesNo(sameRect(before, after)));

    // The window made topmost is shown first, the other after it and active: it starts below.
    const HWND shown = makeWindow(L"shown", 500);
    const HWND other = makeWindow(L"other", 900);
    ShowWindow(shown, SW_SHOWNORMAL);
    ShowWindow(other, SW_SHOWNORMAL);
    SetForegroundWindow(other);
    SetActiveWindow(other);
    pump();
    const bool startedBelow = above(other, shown);
    const HWND activeBefore = GetActiveWindow();
    GetWindowRect(shown, &before);
    const bool shownCall = platform::win32::makeTopmost(reinterpret_cast<std::uintptr_t>(shown));
    pump();
    GetWindowRect(shown, &after);
    const bool stillActive = GetActiveWindow() == activeBefore && activeBefore == other;
    report(shownCall && topmost(shown) && IsWindowVisible(shown) && sameRect(before, after) && startedBelow &&
               above(shown, other) && stillActive,
           "topmost (visible)",
           "call succeeded " + yesNo(shownCall) + ", WS_EX_TOPMOST " + yesNo(topmost(shown)) + ", visible " +
               yesNo(IsWindowVisible(shown)) + ", unmoved " + yesNo(sameRect(before, after)) +
               ", from below to above the active window " + yesNo(startedBelow && above(shown, other)) +
               ", not activated " + yesNo(stillActive));

    DestroyWindow(hidden);
    DestroyWindow(shown);
    DestroyWindow(other);
}

void checkRawText()
{
    const UINT codePage = GetACP();
    CPINFO info{};
    GetCPInfo(CP_ACP, &info);
    const char substitute = static_cast<char>(info.DefaultChar[0]);
    note("ANSI code page " + std::to_string(codePage) + ", substitute character '" +
         std::string(1, substitute) + "'");

    // What a typed name would become if it reached the shell unencoded.
    const std::string typed = "Zo\xC3\xAB Bj\xC3\xB6rk \xE5\x8C\x97 \xF0\x9F\x98\x80";
    const std::string ansi = platform::win32::toAnsi(fromUtf8(typed));
    note("\"Zo\xC3\xAB Bj\xC3\xB6rk \xE5\x8C\x97 \xF0\x9F\x98\x80\" as UTF-8: " + hex(typed));
    note("the same through the ANSI conversion: " + hex(ansi));
    // In Windows-1252 the two Latin letters have a byte of their own (not their UTF-8 bytes);
    // the CJK character and the emoji have none.
    const std::string expected = std::string("Zo\xEB Bj\xF6rk ") + substitute + ' ';
    const bool latinKept = ansi.compare(0, expected.size(), expected) == 0;
    const std::string rest = ansi.size() >= expected.size() ? ansi.substr(expected.size()) : std::string();
    const bool emojiLost = !rest.empty() && rest.find_first_not_of(substitute) == std::string::npos;
    report(codePage == 1252 && ansi != typed && latinKept && emojiLost, "raw text",
           "not preserved: the CJK character and the emoji become '" + std::string(1, substitute) + "' (" +
               std::to_string(rest.size()) + " for the emoji), the Latin letters single 1252 bytes");

    // A look-alike must not become the delimiter it looks like.
    const std::string solidus = platform::win32::toAnsi(L"a\xFF0F"
                                                        L"b\x2044"
                                                        L"c");
    report(solidus == std::string("a") + substitute + "b" + substitute + "c", "raw text",
           "full-width solidus and fraction slash become " + hex(solidus) + ", not a '/'");
}

// The settings store's codes: every byte of the code page stands for one character and comes
// back from it; in 1252 the shifted "D" (68 + 85) is the trade mark sign and the shifted digits
// are 0x85 to 0x8E; a character the code page lacks has no code, not a look-alike's.
void checkCodePage()
{
    int kept = 0;
    std::string lost;
    for (int byte = 0; byte < 256; ++byte) {
        const int c = platform::win32::charOfAnsiByte(static_cast<unsigned char>(byte));
        if (c >= 0 && platform::win32::ansiByteOf(static_cast<wchar_t>(c)) == byte)
            ++kept;
        else
            lost += (lost.empty() ? "" : " ") + hex(std::string(1, static_cast<char>(byte)));
    }
    report(platform::win32::ansiIsSingleByte() && kept == 256, "code page",
           std::to_string(kept) + " of 256 bytes stand for a character and come back" +
               (lost.empty() ? std::string() : ", not: " + lost));

    std::string digits;
    for (char digit = '0'; digit <= '9'; ++digit)
        digits += static_cast<char>(platform::win32::ansiByteOf(static_cast<wchar_t>(digit)) + 85);
    const bool trademark = platform::win32::charOfAnsiByte('D' + 85) == 0x2122;
    const bool noLookAlike =
        platform::win32::ansiByteOf(L'\x0080') < 0 && platform::win32::ansiByteOf(L'\xFF0F') < 0 &&
        platform::win32::ansiByteOf(L'\x65E5') < 0 && platform::win32::ansiByteOf(L'\xD83D') < 0;
    report(GetACP() == 1252 && trademark && hex(digits) == "85 86 87 88 89 8A 8B 8C 8D 8E" && noLookAlike,
           "code page",
           std::string("shifted D ") + (trademark ? "is" : "is not") + " U+2122, shifted digits " +
               hex(digits) +
               (noLookAlike ? ", no code for U+0080, U+FF0F, U+65E5 or a lone surrogate"
                            : ", a code for a character 1252 lacks"));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: driver.exe <address list>\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    std::vector<std::string> addresses;
    for (std::string line; std::getline(in, line);)
        addresses.push_back(line);

    // As in the program, where the toolkit sets up OLE on its GUI thread before any of this.
    const HRESULT ole = OleInitialize(nullptr);
    checkAddresses(addresses);
    checkFailedOpen();
    checkTopmost();
    checkRawText();
    checkCodePage();
    if (SUCCEEDED(ole))
        OleUninitialize();
    return allPassed ? 0 : 1;
}
