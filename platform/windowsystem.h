#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

// The value of an environment variable, empty when it is unset.
using EnvironmentLookup = std::function<std::string(const char* name)>;

// The window-system plug-ins to ask Qt for, in order, or empty to leave the choice to Qt. On a
// Wayland session that also serves X clients (XWayland), the program goes through X: there it
// can place its windows and keep one above the others, which Wayland lets no client do. Should
// the X server not answer, Qt falls back to Wayland. The user's own choice, QT_QPA_PLATFORM or
// -platform on the command line, always wins.
std::string preferredWindowSystem(const EnvironmentLookup& environment, int argc, char** argv);

// The command line to hand to Qt: the program's own, with the preferred window system added as
// Qt's -platform argument. Unlike an environment variable, that stays within this process and
// never reaches the browser or another program started from here.
class QtCommandLine final {
public:
    QtCommandLine(int argc, char** argv);
    QtCommandLine(const QtCommandLine&) = delete;
    QtCommandLine& operator=(const QtCommandLine&) = delete;

    // Qt keeps both and removes the arguments it reads: they live as long as the application.
    int& count() { return argumentCount; }
    char** values() { return pointers.data(); }

private:
    std::vector<std::string> added;
    std::vector<char*> pointers;
    int argumentCount = 0;
};

} // namespace platform
