#include "ui/linklabel.h"

#include "ui/twips.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace ui {
namespace {

// A label that acts as a web link reads as a link, by its text, and can be pressed.
class LinkLabelAccessible final : public QAccessibleWidget {
public:
    explicit LinkLabelAccessible(LinkLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text kind) const override
    {
        // Its own text, not the caption of the frame around it that a plain widget would borrow.
        if (kind == QAccessible::Name)
            return label()->accessibleName().isEmpty() ? label()->text() : label()->accessibleName();
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = true;
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        // A screen reader's request arrives inside a call it waits on; the link may open a modal
        // window, so the click runs once that call has returned, as a button's would.
        QMetaObject::invokeMethod(
            label(), [link = label()] { emit link->clicked(); }, Qt::QueuedConnection);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    LinkLabel* label() const { return static_cast<LinkLabel*>(widget()); }
};

QAccessibleInterface* linkLabelFactory(const QString& className, QObject* object)
{
    if (className != QLatin1StringView(LinkLabel::staticMetaObject.className()))
        return nullptr;
    auto* label = qobject_cast<LinkLabel*>(object);
    return label ? new LinkLabelAccessible(label) : nullptr;
}

// Tells assistive technology what a link label is; every link label makes sure of it when it is
// made, and the second time does nothing.
void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(linkLabelFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace

LinkLabel::LinkLabel(const QString& text, Qt::Alignment alignment, QWidget* parent)
    : QWidget(parent), caption(text), align(alignment)
{
    installAccessibility();
    setCursor(Qt::PointingHandCursor);
    // The keyboard reaches it; a click opens the link without moving the focus.
    setFocusPolicy(Qt::TabFocus);
}

LinkLabel::~LinkLabel() = default;

void LinkLabel::mousePressEvent(QMouseEvent* event)
{
    pressed = event->button() == Qt::LeftButton;
    // A double click that never saw its release must not swallow this click.
    secondClickOfDouble = false;
    event->accept();
}

void LinkLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The first click of the pair has already opened the link.
    secondClickOfDouble = event->button() == Qt::LeftButton;
    pressed = false;
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool activate = pressed && !secondClickOfDouble && event->button() == Qt::LeftButton &&
                          rect().contains(event->position().toPoint());
    pressed = false;
    secondClickOfDouble = false;
    event->accept();
    if (activate)
        emit clicked();
}

void LinkLabel::keyPressEvent(QKeyEvent* event)
{
    const bool activates =
        event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space;
    if (!activates || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // A key held down opens the link once.
    if (!event->isAutoRepeat())
        emit clicked();
}

void LinkLabel::paintEvent(QPaintEvent*)
{
    // As a label draws plain text that wraps.
    QPainter painter(this);
    const auto direction = caption.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
    const int flags = static_cast<int>(QStyle::visualAlignment(direction, align)) | Qt::TextWordWrap;
    style()->drawItemText(&painter, contentsRect(), flags, palette(), isEnabled(), caption, foregroundRole());
    if (!hasFocus())
        return;
    // In the text's own colour, which the design keeps readable on the label's background.
    painter.setPen(QPen(palette().color(foregroundRole()), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void bringToFront(LinkLabel& front, LinkLabel& behind)
{
    front.raise();
    front.setFocusPolicy(Qt::TabFocus);
    behind.setFocusPolicy(Qt::NoFocus);
}

LinkLabel* addLinkLabel(QWidget* parent, const char* name, QRect twips, const QString& caption,
                        const Look& look)
{
    auto* label = new LinkLabel(displayedCaption(caption), look.align, parent);
    label->setObjectName(QLatin1StringView(name));
    label->setGeometry(twipsRect(twips));
    applyLook(*label, look);
    fitWrapped(*label, label->text(), label->size());
    return label;
}

} // namespace ui
