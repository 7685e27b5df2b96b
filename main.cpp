#include "app/startup.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>

#include <vector>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // The program ends only through its own shut-down, never because a window closed.
    QApplication::setQuitOnLastWindowClosed(false);
    // Only the sizes a title bar, task bar or switcher shows (64 covers 32 on a dense screen):
    // each size is decoded at start and sent to the window system with every window.
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addFile(QStringLiteral(":/assets/icon-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    app::startProgram();
    const int code = app::programEnded() ? 0 : QApplication::exec();
    // Windows unloaded on the way out are only scheduled for deletion; finish them here.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::vector<QPointer<QWidget>> leftOver;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->parentWidget())
            leftOver.emplace_back(widget);
    }
    for (const QPointer<QWidget>& widget : leftOver)
        delete widget.data();
    return code;
}
