#pragma once

class QWidget;

namespace ui {

// Places a top-level window in the middle of the screen it is on.
void centreOnScreen(QWidget& window);

// Keeps the window above every other window from now on, without moving, resizing or
// activating it.
void makeTopmost(QWidget& window);

} // namespace ui
