#pragma once

#include <utility>

namespace ui {

// Handlers carry on past a failure and never report it; above all, no exception may cross
// Qt's event loop. Every event handler runs inside one of these.
template <class Fn> void guard(Fn&& fn) noexcept
{
    try {
        std::forward<Fn>(fn)();
    } catch (...) {
    }
}

// A member handler for connect(), guarded: connect(button, &QPushButton::clicked, this,
// ui::guarded(this, &Window::cmdOK_Click)).
template <class Object> auto guarded(Object* object, void (Object::*handler)())
{
    return [object, handler] { guard([object, handler] { (object->*handler)(); }); };
}

// The same for a free function.
inline auto guarded(void (*handler)())
{
    return [handler] { guard(handler); };
}

} // namespace ui
