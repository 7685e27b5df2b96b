#pragma once

#include <QObject>

#include <functional>
#include <optional>

class QCoreApplication;
class QWidget;

namespace ui {

// Decides on one typed character: the character the field receives (the same one or another),
// or nothing to discard it. It may show a message of its own before it answers.
using KeyVerdict = std::function<std::optional<char32_t>(char32_t code)>;

// Puts a per-character filter in front of a text field. Every character the keyboard types
// passes through it: printable ones, control characters such as Ctrl+V (22) or Escape (27),
// and text committed by an input method. Keys that type nothing where the layout comes from
// (arrows, Home, End, Page Up/Down, Insert, Delete, function keys) pass by, whatever text the
// platform attaches to them.
void installKeyFilter(QWidget* field, KeyVerdict verdict);

// The character code a key press types, or nothing for a key that types none.
std::optional<std::u32string> typedCharacters(int key, Qt::KeyboardModifiers modifiers, const QString& text);

// X sends the repeats of a held key as a release and a press with one time stamp. Qt marks them as
// repeats only if the press is already queued when it reads the release, which under load it is
// not, and a button or a link then acts on each of them. From this call on, such a press reaches
// its widget marked as the repeat it is: a held key acts once, and still repeats in a text box.
void recogniseHeldKeys(QCoreApplication& application);

} // namespace ui
