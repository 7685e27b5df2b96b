#include "ui/linklabel.h"

#include "ui/controls.h"

#include <QAccessibleWidget>
#include <QMetaObject>

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

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(linkLabelFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace ui
