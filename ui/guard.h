#pragma once

#include <utility>

namespace ui {

// Handlers carry on past a failing step and never report it; above all, no exception may
// cross Qt's event loop. Each step that can fail runs inside one of these.
template <class Fn> void step(Fn&& fn) noexcept
{
    try {
        std::forward<Fn>(fn)();
    } catch (...) {
    }
}

} // namespace ui
