#pragma once

#include <QColor>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRect>
#include <QString>

class QGroupBox;
class QMimeData;
class QPushButton;
class QWidget;

namespace ui {

namespace colours {
inline const QColor darkTeal{0, 105, 136};
inline const QColor lightBlue{32, 191, 219};
inline const QColor lightGrey{224, 224, 224};
inline const QColor black{0, 0, 0};
inline const QColor white{255, 255, 255};
inline const QColor red{255, 0, 0};
} // namespace colours

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

// The windows ask for Verdana and fall back on a face with close metrics. Sizes are fixed in
// 96-dpi pixels so that texts keep to the twips layout whatever the screen's logical dpi.
QFont verdana(double points, bool bold = false, bool underline = false);

// Applies font and colours of a look to any widget.
void applyLook(QWidget& widget, const Look& look);

// Widens a one-line label whose text does not fit, keeping its alignment's anchor.
void fitSingleLine(QLabel& label);

QLabel* addLabel(QWidget* parent, const char* name, QRect twips, const QString& caption, const Look& look);
QPushButton* addButton(QWidget* parent, const char* name, QRect twips, const QString& caption,
                       const Look& look);
// A frame; an empty caption draws none.
QGroupBox* addFrame(QWidget* parent, const char* name, QRect twips, const QString& caption, const Look& look);

// A label that acts as a web link: link colours are up to the caller, the hand pointer is its
// own, and one click, or one double click, reports one activation. Tab reaches it, a dotted
// frame in its text colour shows the focus, and Enter or Space activates it as a click does.
class LinkLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LinkLabel)

public:
    explicit LinkLabel(QWidget* parent = nullptr);
    ~LinkLabel() override;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool pressed = false;
    bool secondClickOfDouble = false;
};

// The link look shared by every link label of the program.
Look linkLook(Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop);

LinkLabel* addLinkLabel(QWidget* parent, const char* name, QRect twips, const QString& caption,
                        const Look& look);

// Two link labels in one place: the front one is seen, clicked and reached by Tab; the one
// behind it by none of these.
void bringToFront(LinkLabel& front, LinkLabel& behind);

// A sunken picture box whose picture is shown whole: the box grows around its centre for a
// picture larger than its design size and returns to that size for a smaller one.
class PictureBox final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureBox)

public:
    PictureBox(QWidget* parent, QRect designPixels, bool border);
    ~PictureBox() override;
    void setPicture(const QPixmap& picture);

private:
    QRect design;
    int frame;
};

// A multi-line text box with a vertical scroll bar that stays responsive with any amount of
// text: it wraps at word boundaries, and falls back to wrapping anywhere once a paste or drop
// brings text long enough to make word-boundary layout of one huge word crawl.
class MultiLineTextBox final : public QPlainTextEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MultiLineTextBox)

public:
    explicit MultiLineTextBox(QWidget* parent = nullptr);
    ~MultiLineTextBox() override;

    // Text longer than this is laid out by wrapping anywhere.
    static constexpr qsizetype kLongText = 4096;

    // Inserts as a paste does (the same guard applies).
    void pasteText(const QString& text);
    // Replaces the whole text (the same guard applies).
    void replaceText(const QString& text);

protected:
    void insertFromMimeData(const QMimeData* source) override;

private:
    void prepareFor(qsizetype incoming);
};

// Loads a picture of the program's resources, picking a sharper variant on dense screens.
QPixmap resourcePicture(const QString& path, QSize logicalSize, const QWidget* on = nullptr);

} // namespace ui
