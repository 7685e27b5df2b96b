#pragma once

#include <QString>

namespace ui {

// Captions mark an access key with "&" and write a literal ampersand as "&&".
// Buttons and menus understand that; labels show the text this returns.
QString displayedCaption(const QString& caption);

} // namespace ui
