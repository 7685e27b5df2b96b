#include "ui/windowing.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

#ifdef _WIN32
#include "platform/win32/shell.h"

#include <qt_windows.h>
#endif

namespace ui {

QPoint centredPlace(QSize frame, const QRect& area)
{
    QRect placed(QPoint(), frame);
    placed.moveCenter(area.center());
    // Too big for the screen: the title bar and the menu bar stay on it, the rest runs off the
    // right and bottom edges.
    const int x = std::max(area.left(), std::min(placed.left(), area.right() + 1 - frame.width()));
    const int y = std::max(area.top(), std::min(placed.top(), area.bottom() + 1 - frame.height()));
    return {x, y};
}

void centreOnScreen(QWidget& window)
{
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window.move(centredPlace(window.frameGeometry().size(), screen->availableGeometry()));
}

void makeTopmost(QWidget& window)
{
    const bool visible = window.isVisible();
    // Qt re-applies the flag whenever it recreates the native window.
    window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
#ifdef _WIN32
    // Only the windows platform's ids are window handles: another platform's (offscreen, say)
    // are counters that may name some other process's window. Shown or hidden as Qt has it: the
    // call leaves visibility alone.
    if (QGuiApplication::platformName() == u"windows")
        platform::win32::makeTopmost(reinterpret_cast<HWND>(window.winId()));
#endif
    // Changing a window flag hides a visible window; bring it back as it was.
    if (visible)
        window.show();
}

} // namespace ui
