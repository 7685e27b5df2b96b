#pragma once

#include <QString>

#include <functional>

namespace ui {

enum class MsgIcon { Information, Error };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

// Shows a modal message box with the title and returns the answer. A lone carriage return in
// the text starts a new line, as it does on Windows. An address, when given, stands below the
// text in a field of its own that the user can select and copy from.
MsgAnswer showMessageBox(const QString& title, const QString& text, MsgButtons buttons, MsgIcon icon,
                         const QString& address = {});

namespace testing {
struct MessageRequest {
    QString text;
    MsgButtons buttons;
    MsgIcon icon;
    QString address;
};
// Answers every message box instead of showing it; an empty function shows real boxes again.
void setMessageBoxHandler(std::function<MsgAnswer(const MessageRequest&)> handler);
} // namespace testing

} // namespace ui
