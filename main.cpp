#include "app/startup.h"
#include "platform/userstore.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Before Qt, or the font configuration it starts, looks at them.
    platform::ignoreRelativeBaseFolders();
    QApplication application(argc, argv);
    return app::run();
}
