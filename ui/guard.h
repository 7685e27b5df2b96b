#pragma once

#include <exception>
#include <functional>
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

// A handler for connect(), guarded: what to call and its arguments, bound as std::bind_front
// binds them. connect(button, &QPushButton::clicked, this, ui::guarded(&Window::cmdOK_Click, this)),
// or ui::guarded([&state] { ... }).
template <class Fn, class... Args> auto guarded(Fn fn, Args... args)
{
    return [fn = std::move(fn), ... args = std::move(args)] { guard([&] { std::invoke(fn, args...); }); };
}

} // namespace ui
