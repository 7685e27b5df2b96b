#include "platform/windowsystem.h"

#include <cstdlib>
#include <string_view>

namespace platform {
namespace {

bool choosesPlatformOnCommandLine(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        // Qt takes the option with one dash or two, and its value as the next argument.
        if (argument == "-platform" || argument == "--platform")
            return true;
    }
    return false;
}

std::string fromProcessEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

} // namespace

std::string preferredWindowSystem(const EnvironmentLookup& environment, int argc, char** argv)
{
    if (!environment("QT_QPA_PLATFORM").empty() || choosesPlatformOnCommandLine(argc, argv))
        return {};
    const bool waylandSession =
        environment("XDG_SESSION_TYPE") == "wayland" || !environment("WAYLAND_DISPLAY").empty();
    // A Wayland session that names an X display runs an X server for its X clients, or starts
    // one as the first of them connects.
    if (waylandSession && !environment("DISPLAY").empty())
        return "xcb;wayland";
    return {};
}

QtCommandLine::QtCommandLine(int argc, char** argv)
{
    const std::string windowSystem = preferredWindowSystem(fromProcessEnvironment, argc, argv);
    if (!windowSystem.empty())
        added = {"-platform", windowSystem};
    for (int i = 0; i < argc; ++i) {
        pointers.push_back(argv[i]);
        // Right after the program's name, before any argument of the user's.
        if (i == 0) {
            for (std::string& argument : added)
                pointers.push_back(argument.data());
        }
    }
    argumentCount = static_cast<int>(pointers.size());
    pointers.push_back(nullptr);
}

} // namespace platform
