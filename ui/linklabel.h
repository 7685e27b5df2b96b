#pragma once

namespace ui {

// Tells assistive technology (screen readers, the AT-SPI bus) what the program's own controls
// are: a link label is a link whose press action does what a click does. Every link label
// calls this when it is made; calling it again does nothing.
void installAccessibility();

} // namespace ui
