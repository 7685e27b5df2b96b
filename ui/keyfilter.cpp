#include "ui/keyfilter.h"

#include "ui/guard.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace ui {
namespace {

class KeyFilter final : public QObject {
public:
    KeyFilter(QWidget* field, KeyVerdict verdict) : QObject(field), field(field), verdict(std::move(verdict))
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != field || forwarding)
            return false;
        if (event->type() == QEvent::KeyPress)
            return onKey(static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::InputMethod)
            return onInputMethod(static_cast<QInputMethodEvent*>(event));
        return false;
    }

private:
    // Runs the verdict over every character; nullopt when all pass unchanged.
    std::optional<QString> filtered(const std::u32string& codes, bool& changed)
    {
        QString result;
        changed = false;
        for (char32_t code : codes) {
            std::optional<char32_t> answer;
            guard([&] { answer = verdict(code); });
            if (!answer) {
                changed = true;
                continue;
            }
            changed = changed || *answer != code;
            const char32_t c = *answer;
            result += QString::fromUcs4(&c, 1);
        }
        return result;
    }

    bool onKey(QKeyEvent* key)
    {
        // An Alt combination that no menu took types nothing; the text control would still
        // insert the text the platform attached to it.
        if ((key->modifiers() & Qt::AltModifier) && !(key->modifiers() & Qt::ControlModifier) &&
            !key->text().isEmpty())
            return true;
        const auto codes = typedCharacters(key->key(), key->modifiers(), key->text());
        if (!codes)
            return false;
        QPointer<QWidget> guardField = field;
        bool changed = false;
        const std::optional<QString> text = filtered(*codes, changed);
        if (!changed)
            return false;
        if (guardField && text && !text->isEmpty()) {
            QKeyEvent replaced(QEvent::KeyPress, key->key(), key->modifiers() & ~Qt::ControlModifier, *text,
                               key->isAutoRepeat(), static_cast<ushort>(text->size()));
            forward(guardField, &replaced);
        }
        return true;
    }

    bool onInputMethod(QInputMethodEvent* input)
    {
        const QString commit = input->commitString();
        if (commit.isEmpty())
            return false;
        QPointer<QWidget> guardField = field;
        bool changed = false;
        const std::optional<QString> text = filtered(commit.toStdU32String(), changed);
        if (!changed)
            return false;
        if (guardField) {
            QInputMethodEvent replaced(input->preeditString(), input->attributes());
            replaced.setCommitString(text.value_or(QString()), input->replacementStart(),
                                     input->replacementLength());
            forward(guardField, &replaced);
        }
        return true;
    }

    void forward(QWidget* target, QEvent* event)
    {
        forwarding = true;
        QCoreApplication::sendEvent(target, event);
        forwarding = false;
    }

    QWidget* field;
    KeyVerdict verdict;
    bool forwarding = false;
};

// Keys that edit or move rather than type, whatever text the platform attaches to them: X11
// reports Delete with the text U+007F.
bool typesNothing(int key)
{
    switch (key) {
    case Qt::Key_Delete:
    case Qt::Key_Insert:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Clear:
    case Qt::Key_Pause:
    case Qt::Key_Print:
    case Qt::Key_SysReq:
    case Qt::Key_Menu:
        return true;
    default:
        return key >= Qt::Key_F1 && key <= Qt::Key_F35;
    }
}

} // namespace

std::optional<std::u32string> typedCharacters(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    // Tab moves the focus before any field sees it as a character.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return std::nullopt;
    // Alt combinations are menu access keys; they type nothing into a field.
    if ((modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier))
        return std::nullopt;
    if (typesNothing(key))
        return std::nullopt;
    if (modifiers & Qt::ControlModifier) {
        // Ctrl+letter types a control character (Ctrl+C is 3, Ctrl+V is 22), whatever text
        // the platform attaches to the event: some leave it empty, some give the letter.
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return std::u32string(1, static_cast<char32_t>(key - Qt::Key_A + 1));
        if (key >= Qt::Key_BracketLeft && key <= Qt::Key_BracketRight)
            return std::u32string(1, static_cast<char32_t>(key - Qt::Key_BracketLeft + 27));
    }
    if (!text.isEmpty())
        return text.toStdU32String();
    switch (key) {
    case Qt::Key_Backspace:
        return std::u32string(1, U'\b');
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return std::u32string(1, U'\r');
    case Qt::Key_Escape:
        return std::u32string(1, U'\x1b');
    default:
        return std::nullopt;
    }
}

void installKeyFilter(QWidget* field, KeyVerdict verdict)
{
    field->installEventFilter(new KeyFilter(field, std::move(verdict)));
}

namespace {

class HeldKeys final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->isAutoRepeat())
            return false;
        if (event->type() == QEvent::KeyRelease) {
            released = key->nativeScanCode();
            releasedAt = key->timestamp();
            return false;
        }
        if (key->timestamp() == 0 || key->timestamp() != releasedAt || key->nativeScanCode() != released)
            return false;
        QKeyEvent repeat(QEvent::KeyPress, key->key(), key->modifiers(), key->nativeScanCode(),
                         key->nativeVirtualKey(), key->nativeModifiers(), key->text(), true, key->count(),
                         key->device());
        repeat.setTimestamp(key->timestamp());
        QCoreApplication::sendEvent(watched, &repeat);
        event->setAccepted(repeat.isAccepted());
        return true;
    }

private:
    quint32 released = 0;
    quint64 releasedAt = 0;
};

} // namespace

void recogniseHeldKeys(QCoreApplication& application)
{
    // Once for the application, however many runs of the program a test makes in it.
    static QPointer<HeldKeys> installed;
    if (installed && installed->parent() == &application)
        return;
    installed = new HeldKeys(&application);
    application.installEventFilter(installed);
}

} // namespace ui
