#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QDialog;
class QWidget;

namespace ui {

// Where a window's frame goes to sit in the middle of the area; one larger than the area keeps
// its top-left corner inside it.
QPoint centredPlace(QSize frame, const QRect& area);

// Places a top-level window in the middle of the screen it is on.
void centreOnScreen(QWidget& window);

// The window a modal dialog opens over: the active one, else the one window of the program on
// the screen; none when that is not clear.
QWidget* modalOwner();

// Runs a modal dialog until it closes and returns its result. While it is open, a window it
// blocks that gets activated (clicked, or picked from the task bar) hands the activation back
// to it, as a window manager that knows the dialog is modal does: Wayland compositors know
// nothing of the toolkit's modality, and the keys would go to a window that ignores them.
int execModal(QDialog& dialog);

// Keeps the window above every other window from now on, without moving, resizing or
// activating it.
void makeTopmost(QWidget& window);

} // namespace ui
