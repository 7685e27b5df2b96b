#include "app/startup.h"
#include "platform/userstore.h"
#include "platform/windowsystem.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Before Qt, or the font configuration it starts, looks at them.
    platform::ignoreRelativeBaseFolders();
    platform::QtCommandLine commandLine(argc, argv);
    QApplication application(commandLine.count(), commandLine.values());
    return app::run();
}
