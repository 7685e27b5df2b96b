#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

// Where a window's frame goes to sit in the middle of the area; one larger than the area keeps
// its top-left corner inside it.
QPoint centredPlace(QSize frame, const QRect& area);

// Places a top-level window in the middle of the screen it is on.
void centreOnScreen(QWidget& window);

// Keeps the window above every other window from now on, without moving, resizing or
// activating it.
void makeTopmost(QWidget& window);

} // namespace ui
