#include "ui/windowing.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <optional>

#ifdef _WIN32
#include "platform/win32/shell.h"
#elif QT_CONFIG(xcb)
#include "platform/x11/frame.h"
#endif

namespace ui {
namespace {

// The frame the window will have, in device-independent pixels, where it can be known before the
// window is first shown: from the X window manager, or on Windows from the window's style.
std::optional<QMargins> announcedFrame(QWidget& window)
{
#ifdef _WIN32
    if (QGuiApplication::platformName() != u"windows")
        return std::nullopt;
    window.winId();
    if (QWindow* native = window.windowHandle())
        return native->frameMargins();
    return std::nullopt;
#elif QT_CONFIG(xcb)
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || QGuiApplication::platformName() != u"xcb")
        return std::nullopt;
    const auto extents =
        platform::x11::requestFrameExtents(x11->connection(), static_cast<std::uint32_t>(window.winId()));
    if (!extents)
        return std::nullopt;
    const qreal ratio = window.devicePixelRatioF();
    const auto scaled = [ratio](int pixels) { return static_cast<int>(std::lround(pixels / ratio)); };
    return QMargins(scaled(extents->left), scaled(extents->top), scaled(extents->right),
                    scaled(extents->bottom));
#else
    Q_UNUSED(window);
    return std::nullopt;
#endif
}

} // namespace

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
    const QRect area = screen->availableGeometry();
    // An X window manager frames a window only once it is mapped, so the frame is asked for
    // beforehand and the client area placed inside it; Windows tells it as the window is made.
    if (const std::optional<QMargins> frame = announcedFrame(window)) {
        const QPoint corner = centredPlace(window.size().grownBy(*frame), area);
        window.setGeometry(QRect(corner + QPoint(frame->left(), frame->top()), window.size()));
        return;
    }
    window.move(centredPlace(window.frameGeometry().size(), area));
}

QWidget* modalOwner()
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    QWidget* shown = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip)
            continue;
        if (shown)
            return nullptr;
        shown = window;
    }
    return shown;
}

int execModal(QDialog& dialog)
{
    QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, &dialog, [&dialog](QWindow* focused) {
        if (focused && dialog.isVisible() && focused != dialog.windowHandle() && focused->isTopLevel() &&
            QApplication::activeModalWidget() == &dialog)
            dialog.activateWindow();
    });
    return dialog.exec();
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
        platform::win32::makeTopmost(window.winId());
#endif
    // Changing a window flag hides a visible window; bring it back as it was.
    if (visible)
        window.show();
}

} // namespace ui
