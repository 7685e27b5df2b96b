#pragma once

#include <QColor>
#include <QFont>
#include <QSize>
#include <QString>

class QLabel;
class QWidget;

namespace ui {

// The look of one control. An invalid colour keeps the platform's own; an invalid background
// leaves the control transparent.
struct Look {
    double points = 8.25;
    bool bold = false;
    bool underline = false;
    QColor fore;
    QColor back;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
};

// The windows' font: Verdana, or a face with close metrics where it is not installed. Sizes are
// fixed in 96-dpi pixels so that texts keep to the twips layout whatever the screen's logical dpi.
QFont windowFont(double points, bool bold = false, bool underline = false);

// Applies font and colours of a look to any widget.
void applyLook(QWidget& widget, const Look& look);

// Widens a one-line label whose text does not fit, keeping its alignment's anchor.
void fitSingleLine(QLabel& label);

// A bold serif face for a window's title, where the design sets one.
QFont titleFont();

// Verdana's stand-in runs wider than Verdana; a caption that would overrun its control is set
// a little narrower rather than cut off. The control takes as many lines as its height holds,
// at least one.
void condenseToFit(QWidget& widget, const QString& text, QSize box);

// Condenses a wrapped text that would need more lines than its box holds. Windows' font engine
// puts glyphs on whole pixels, so the same face runs wider there than on Linux.
void fitWrapped(QWidget& widget, const QString& text, QSize box);

// Captions mark an access key with "&" and write a literal ampersand as "&&".
// Buttons and menus understand that; labels show the text this returns.
QString displayedCaption(const QString& caption);

} // namespace ui
