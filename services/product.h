#pragma once

#include <QIcon>

namespace services {

// The program's icon, in the sizes a title bar, a task bar or a window switcher shows (64 is
// 32 on a dense screen). Decoded once.
QIcon applicationIcon();

} // namespace services
