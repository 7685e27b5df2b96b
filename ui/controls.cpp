#include "ui/controls.h"

#include "ui/look.h"
#include "ui/twips.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyleHints>

namespace ui {

namespace {

// Kept by the button it watches. Times are the window system's own stamps on the events.
class DoubleClickFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<const QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton)
                break;
            const quint64 at = mouse->timestamp();
            const auto interval =
                static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
            // The system's double click always follows a press within the interval; a press is
            // measured from the one that acted, so a triple click acts once too.
            swallowing = event->type() == QEvent::MouseButtonDblClick ||
                         (acted && at >= actedAt && at - actedAt < interval);
            if (swallowing)
                return true;
            acted = true;
            actedAt = at;
            break;
        }
        case QEvent::MouseButtonRelease:
            if (swallowing && static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton) {
                swallowing = false;
                return true;
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool acted = false;
    quint64 actedAt = 0;
    bool swallowing = false;
};

} // namespace

void ignoreDoubleClicks(QAbstractButton& button)
{
    button.installEventFilter(new DoubleClickFilter(&button));
}

QLabel* addLabel(QWidget* parent, const char* name, QRect twips, const QString& caption, const Look& look)
{
    auto* label = new QLabel(displayedCaption(caption), parent);
    label->setObjectName(QLatin1StringView(name));
    label->setGeometry(twipsRect(twips));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(look.align);
    applyLook(*label, look);
    fitSingleLine(*label);
    if (label->wordWrap())
        fitWrapped(*label, label->text(), label->contentsRect().size());
    return label;
}

QPushButton* addButton(QWidget* parent, const char* name, QRect twips, const QString& caption,
                       const Look& look)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1StringView(name));
    button->setGeometry(twipsRect(twips));
    button->setAutoDefault(false);
    applyLook(*button, look);
    // A button fills its own face; the window behind it must not show around it.
    button->setAutoFillBackground(false);
    return button;
}

QGroupBox* addFrame(QWidget* parent, const char* name, QRect twips, const QString& caption, const Look& look)
{
    auto* frame = new QGroupBox(displayedCaption(caption), parent);
    frame->setObjectName(QLatin1StringView(name));
    frame->setGeometry(twipsRect(twips));
    applyLook(*frame, look);
    return frame;
}

PictureBox::PictureBox(QWidget* parent, QRect designPixels, bool border)
    : QLabel(parent), design(designPixels), frame(border ? 1 : 0)
{
    if (border) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(1);
    }
    setAlignment(Qt::AlignCenter);
    setGeometry(design);
}

PictureBox::~PictureBox() = default;

void PictureBox::setPicture(const QPixmap& picture)
{
    setPixmap(picture);
    const QSize needed = picture.deviceIndependentSize().toSize() + QSize(2 * frame, 2 * frame);
    QRect box = design;
    if (needed.width() > design.width() || needed.height() > design.height()) {
        box.setSize(needed.expandedTo(design.size()));
        box.moveCenter(design.center());
    }
    setGeometry(box);
}

MultiLineTextBox::MultiLineTextBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
}

MultiLineTextBox::~MultiLineTextBox() = default;

void MultiLineTextBox::prepareFor(qsizetype incoming)
{
    // Word-boundary wrapping of a single unbroken run takes time that grows with the square
    // of its length: a pasted megabyte would freeze the window for about a minute.
    if (incoming + document()->characterCount() > kLongText)
        setWordWrapMode(QTextOption::WrapAnywhere);
}

void MultiLineTextBox::insertFromMimeData(const QMimeData* source)
{
    // Only plain text goes in. With nobody owning the clipboard or the selection, the X server
    // hands over data that the text control's own insertion crashes on, so it never sees it.
    const QString text = source && source->hasText() ? source->text() : QString();
    if (!text.isEmpty())
        pasteText(text);
}

void MultiLineTextBox::pasteText(const QString& text)
{
    prepareFor(text.size());
    insertPlainText(text);
    ensureCursorVisible();
}

void MultiLineTextBox::replaceText(const QString& text)
{
    prepareFor(text.size());
    setPlainText(text);
}

} // namespace ui
