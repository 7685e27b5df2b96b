#include "ui/guard.h"

#include <QLoggingCategory>

namespace ui {
namespace {
Q_LOGGING_CATEGORY(lcHandler, "tolvy.handler")
} // namespace

void logHandlerFailure(const char* what) noexcept
{
    // The log must not become a failure of its own inside the guard.
    try {
        qCWarning(lcHandler, "%s%s", kHandlerFailed, what ? what : "unknown exception");
    } catch (...) {
    }
}

} // namespace ui
