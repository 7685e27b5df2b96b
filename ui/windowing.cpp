#include "ui/windowing.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#ifdef _WIN32
#include <qt_windows.h>
#endif

namespace ui {

void centreOnScreen(QWidget& window)
{
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = window.frameGeometry();
    frame.moveCenter(area.center());
    window.move(frame.topLeft());
}

void makeTopmost(QWidget& window)
{
    const bool visible = window.isVisible();
    // Qt re-applies the flag whenever it recreates the native window.
    window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
#ifdef _WIN32
    // No SWP_SHOWWINDOW: Qt keeps track of visibility, and a window shown behind its back
    // could no longer be hidden.
    SetWindowPos(reinterpret_cast<HWND>(window.winId()), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
#endif
    // Changing a window flag hides a visible window; bring it back as it was.
    if (visible)
        window.show();
}

} // namespace ui
