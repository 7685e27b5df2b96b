#pragma once

#include <exception>
#include <utility>

namespace ui {

// How the warning for a failed handler begins. It goes to the logging category "tolvy.handler",
// followed by what the exception said, or "unknown exception".
inline constexpr char kHandlerFailed[] = "A handler failed: ";

// Logs a failure that guard() caught; what is null for an exception that says nothing.
void logHandlerFailure(const char* what) noexcept;

// Handlers carry on past a failure, which the user never sees but the log keeps; above all, no
// exception may cross Qt's event loop. Every event handler runs inside one of these.
template <class Fn> void guard(Fn&& fn) noexcept
{
    try {
        std::forward<Fn>(fn)();
    } catch (const std::exception& e) {
        logHandlerFailure(e.what());
    } catch (...) {
        logHandlerFailure(nullptr);
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
