#include "platform/win32/codepage.h"

#include "platform/win32/api.h"

namespace platform::win32 {

bool ansiIsSingleByte()
{
    CPINFO info{};
    return GetCPInfo(CP_ACP, &info) != FALSE && info.MaxCharSize == 1;
}

int ansiByteOf(wchar_t c)
{
    char bytes[8] = {};
    BOOL usedDefault = FALSE;
    // UTF-8 takes neither flag nor question; it can say "no" only by taking more than one byte.
    const bool utf8 = GetACP() == CP_UTF8;
    const int size = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, &c, 1, bytes, sizeof bytes,
                                         nullptr, utf8 ? nullptr : &usedDefault);
    if (size != 1 || usedDefault)
        return -1;
    return static_cast<unsigned char>(bytes[0]);
}

int charOfAnsiByte(unsigned char byte)
{
    // A byte that only begins a character, in a two-byte code page or in UTF-8, is none alone.
    if (IsDBCSLeadByte(byte) || (GetACP() == CP_UTF8 && byte > 0x7f))
        return -1;
    const char in = static_cast<char>(byte);
    wchar_t out[2] = {};
    // Without MB_ERR_INVALID_CHARS a byte the code page leaves undefined still gets the
    // character Windows gives it both ways (in 1252, 0x81 is U+0081), so it reads back as written.
    return MultiByteToWideChar(CP_ACP, 0, &in, 1, out, 2) == 1 ? static_cast<int>(out[0]) : -1;
}

} // namespace platform::win32
