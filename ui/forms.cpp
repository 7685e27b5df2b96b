#include "ui/forms.h"

#include "ui/guard.h"
#include "ui/look.h"
#include "ui/twips.h"
#include "ui/windowing.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHideEvent>
#include <QLayout>
#include <QPointer>
#include <QShowEvent>
#include <QWindow>

#include <utility>
#include <vector>

namespace ui {

Form::Form(QWidget* parent) : QMainWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
}

Form::~Form()
{
    if (forms)
        std::erase_if(forms->entries,
                      [this](const Forms::Entry& e) { return e.form == this || e.form.isNull(); });
}

QWidget* Form::setUpWindow(const char* name, const QString& caption, int widthTwips, int heightTwips,
                           const QColor& background)
{
    setObjectName(QLatin1StringView(name));
    setWindowTitle(caption);
    auto* client = new QWidget(this);
    setCentralWidget(client);
    client->setFixedSize(twipsSize(widthTwips, heightTwips));
    applyLook(*client, {.back = background});
    client->setFont(windowFont(8.25));
    // The window follows its client area and the menu bar's height; the user cannot resize it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
    return client;
}

void Form::closeEvent(QCloseEvent* event)
{
    // The close box unloads the window through the same path as the program's own commands.
    event->ignore();
    unloadSelf();
}

void Form::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous())
        focusWhenHidden = focusWidget();
    QMainWindow::hideEvent(event);
}

void Form::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // A window shown and hidden again within one step can still be activated afterwards, as on
    // Windows, where activating a hidden window moves its focus on to the next control. A hidden
    // window keeps its contents, its focus included: it comes back where it was.
    if (!event->spontaneous() && focusWhenHidden && focusWhenHidden->window() == this &&
        focusWidget() != focusWhenHidden)
        focusWhenHidden->setFocus(Qt::OtherFocusReason);
}

void Form::unloadSelf()
{
    Forms::unloadWindow(this);
}

Forms::~Forms()
{
    // Windows that outlive their registry must not reach back into it.
    for (const Entry& e : entries) {
        if (e.form)
            e.form->forms = nullptr;
    }
}

Form* Forms::find(std::type_index type)
{
    for (const Entry& e : entries) {
        if (e.type == type && e.form)
            return e.form.data();
    }
    return nullptr;
}

void Forms::add(std::type_index type, Form* form)
{
    form->forms = this;
    entries.push_back({type, form});
}

void Forms::created(std::type_index type, Form& form)
{
    const auto hook = creationHooks.find(type);
    if (hook != creationHooks.end())
        guard([&] { hook->second(form); });
}

void Forms::setCreationHook(std::type_index type, std::function<void(Form&)> hook)
{
    creationHooks[type] = std::move(hook);
}

Form* Forms::make(std::type_index type)
{
    const auto maker = makers.find(type);
    return maker != makers.end() ? maker->second() : nullptr;
}

void Forms::setMaker(std::type_index type, std::function<Form*()> maker)
{
    makers[type] = std::move(maker);
}

void Forms::load(Form* form)
{
    guard([form] { form->Form_Load(); });
}

void Forms::showForm(Form& form)
{
    if (!form.placed) {
        form.placed = true;
        form.adjustSize();
        centreOnScreen(form);
    }
    const bool wasVisible = form.isVisible();
    // A step may show a window on its way and hide it again before it ends. The program sees it
    // shown at once; the display server only once the step is over, and only if it is still
    // shown, so that it never maps a window for an instant.
    if (!wasVisible)
        form.setAttribute(Qt::WA_DontShowOnScreen, true);
    form.show();
    // A window shown afresh comes up in front anyway; one already shown may be buried.
    if (wasVisible)
        form.raise();
    if (form.revealPending)
        return;
    form.revealPending = true;
    QMetaObject::invokeMethod(
        &form,
        [&form] {
            form.revealPending = false;
            reveal(form);
        },
        Qt::QueuedConnection);
}

void Forms::reveal(Form& form)
{
    const bool held = form.testAttribute(Qt::WA_DontShowOnScreen);
    form.setAttribute(Qt::WA_DontShowOnScreen, false);
    if (!form.isVisible() || form.unloading)
        return;
    if (held) {
        if (QWindow* native = form.windowHandle()) {
            // A native window made before the show takes the window's place and size only as
            // the window is shown on the screen (so Qt 6.8 has it), which the held show skipped.
            if (native->geometry() != form.geometry())
                native->setGeometry(form.geometry());
            native->setVisible(true);
        }
    }
    // Asked for within the step, the activation would reach the window manager after it and
    // could leave the keyboard with a window hidden again meanwhile; none is taken from a modal
    // window that has the keyboard.
    if (!QApplication::activeModalWidget())
        form.activateWindow();
}

void Forms::unload(Form* form)
{
    unloadWindow(form);
}

void Forms::unloadWindow(Form* form)
{
    if (!form || form->unloading)
        return;
    form->unloading = true;
    guard([form] { form->Form_Unload(); });
    if (Forms* owner = form->forms)
        std::erase_if(owner->entries, [form](const Entry& e) { return e.form == form || e.form.isNull(); });
    // Gone from its registry: its later destruction must not reach back, whenever that comes.
    form->forms = nullptr;
    form->hide();
    // The unload may come from one of the window's own handlers; destroy it once they return.
    form->deleteLater();
}

void Forms::unloadAll()
{
    ending = true;
    for (;;) {
        Form* next = nullptr;
        for (const Entry& e : entries) {
            if (e.form && !e.form->unloading) {
                next = e.form.data();
                break;
            }
        }
        if (!next)
            break;
        unload(next);
    }
}

bool Forms::isEnding()
{
    return ending;
}

void Forms::destroyAll()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::vector<QPointer<QWidget>> leftOver;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->parentWidget())
            leftOver.emplace_back(widget);
    }
    for (const QPointer<QWidget>& widget : leftOver)
        delete widget.data();
}

} // namespace ui
