#include "platform/browser.h"

#ifdef _WIN32
#include "platform/win32/shell.h"
#else
#include <QDesktopServices>
#include <QUrl>
#endif

namespace platform {
namespace {

std::function<bool(const QString&)>& handler()
{
    static std::function<bool(const QString&)> h;
    return h;
}

} // namespace

bool launchBrowser(const QString& address)
{
    if (const auto& h = handler())
        return h(address);
#ifdef _WIN32
    // The shell's ANSI entry point: characters outside the code page become its substitute.
    return win32::shellOpen(win32::toAnsi(address.toStdWString()));
#else
    // Addresses arrive already encoded; strict parsing keeps them exactly as built.
    const QUrl url = QUrl::fromEncoded(address.toUtf8(), QUrl::StrictMode);
    if (!url.isValid())
        return false;
    return QDesktopServices::openUrl(url);
#endif
}

qsizetype longestAddress()
{
#ifdef _WIN32
    // The shell copies an address into a buffer of the longest address it knows of; longer ones
    // fail or, under Wine, corrupt the caller's memory.
    return 2083;
#else
    // The desktop's opener gets the address as one argument of a new process, and the kernel
    // takes an argument of at most 32 pages, its closing zero byte included.
    return 32 * 4096 - 1;
#endif
}

bool addressFits(const QString& address)
{
    return address.toUtf8().size() <= longestAddress();
}

namespace testing {
void setBrowserHandler(std::function<bool(const QString&)> h)
{
    handler() = std::move(h);
}
} // namespace testing

} // namespace platform
