#pragma once

#include "ui/look.h"
#include "ui/messagebox.h"

#include <QColor>
#include <QIcon>
#include <QString>

// What makes the program this program to its user: its name, icon and colours.
namespace services {

// The caption every window of the program carries, and the title of its message boxes.
QString windowCaption();
QString appTitle();

// The program's icon, in the sizes a title bar, a task bar or a window switcher shows (64 is
// 32 on a dense screen). Decoded once.
QIcon applicationIcon();

// The program's palette.
namespace colours {
inline const QColor darkTeal{0, 105, 136};
inline const QColor lightBlue{32, 191, 219};
inline const QColor paleBlue{80, 174, 237};
inline const QColor navy{0, 0, 128};
inline const QColor lightGrey{224, 224, 224};
inline const QColor buttonGrey{192, 192, 192};
inline const QColor black{0, 0, 0};
inline const QColor white{255, 255, 255};
inline const QColor red{255, 0, 0};
inline const QColor yellow{255, 255, 0};
} // namespace colours

// The link look shared by every link label of the program.
ui::Look linkLook(Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop);

// A message box titled with the program's title; an address, when given, to select and copy.
ui::MsgAnswer MsgBox(const QString& text, ui::MsgButtons buttons, ui::MsgIcon icon,
                     const QString& address = {});

} // namespace services
