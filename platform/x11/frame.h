#pragma once

// The program's own calls to the X server, beside the toolkit's connection. No Qt in here.

#include <cstdint>
#include <optional>

struct xcb_connection_t;

namespace platform::x11 {

// The frame a window manager puts around a window, in the server's pixels.
struct FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

// Asks the window manager what frame it will give the window, which need not be mapped yet, and
// waits a moment for the answer. Nothing when no window manager runs or it does not answer such
// requests: the window then gets no frame, or one it did not announce.
std::optional<FrameExtents> requestFrameExtents(xcb_connection_t* connection, std::uint32_t window);

} // namespace platform::x11
