#include "platform/codepage.h"

#ifdef _WIN32
#include "platform/win32/codepage.h"
#endif

namespace platform {
#ifdef _WIN32
namespace {
bool ansiCodes()
{
    static const bool singleByte = win32::ansiIsSingleByte();
    return singleByte;
}
} // namespace
#endif

std::optional<int> singleByteCode(QChar c)
{
#ifdef _WIN32
    if (ansiCodes()) {
        const int code = win32::ansiByteOf(static_cast<wchar_t>(c.unicode()));
        return code < 0 ? std::nullopt : std::optional<int>(code);
    }
#endif
    return c.unicode() <= 255 ? std::optional<int>(c.unicode()) : std::nullopt;
}

std::optional<QChar> fromSingleByteCode(int code)
{
    if (code < 0 || code > 255)
        return std::nullopt;
#ifdef _WIN32
    if (ansiCodes()) {
        const int c = win32::charOfAnsiByte(static_cast<unsigned char>(code));
        return c < 0 ? std::nullopt : std::optional<QChar>(QChar(static_cast<char16_t>(c)));
    }
#endif
    return QChar(static_cast<char16_t>(code));
}

} // namespace platform
