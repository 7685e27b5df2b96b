#pragma once

#include <QString>

#include <functional>

namespace platform {

// Hands a web address to the user's default browser and returns at once.
// False when nothing could be launched; callers are free to ignore it.
bool launchBrowser(const QString& address);

// The longest address, in bytes as handed over, that the system passes on to the browser.
qsizetype longestAddress();
bool addressFits(const QString& address);

namespace testing {
// Receives every address instead of the browser; an empty function restores the browser.
void setBrowserHandler(std::function<bool(const QString&)> handler);
} // namespace testing

} // namespace platform
