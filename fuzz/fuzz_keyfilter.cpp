// The two key filters on the real fields, over any typed code point and any sequence of them:
// the name field of the name-entry window takes capitals for letters, Backspace, Enter and
// space and refuses everything else with its message; the e-mail boxes of the refer-a-friend
// window refuse the space with theirs and pass every other key to the box untouched, which an
// unfiltered twin box receiving the same keys shows. Alt combinations that no menu takes type
// nothing in either field. Keys come as a keyboard sends them (plain, Ctrl+letter for the
// control codes, Alt combinations) or as text an input method commits.
#include "app/flow.h"
#include "app/state.h"
#include "fuzzsupport.h"
#include "reading/frmMain.h"
#include "referral/frmNagScreen2.h"
#include "ui/controls.h"
#include "ui/forms.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <optional>
#include <vector>

using fuzzsupport::codes;
using fuzzsupport::require;

namespace {

// A control of a window, by the name the window gives it.
template <class T> T* control(const QWidget& window, const char* name)
{
    return window.findChild<T*>(QLatin1StringView(name));
}

int messageCount = 0;
QString lastMessage;

struct Typed {
    char32_t code = 0;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

// The rule of the name field, written out from its description.
std::optional<char32_t> nameRule(char32_t k)
{
    if (k >= 65 && k <= 90)
        return k;
    if (k >= 97 && k <= 122)
        return k - 32;
    if (k == 8 || k == 13 || k == 32)
        return k;
    return std::nullopt;
}

Qt::Key keyFor(char32_t code)
{
    switch (code) {
    case 8:
        return Qt::Key_Backspace;
    case 9:
        return Qt::Key_Tab;
    case 13:
        return Qt::Key_Return;
    case 27:
        return Qt::Key_Escape;
    default:
        break;
    }
    if (code >= 0x20 && code < 0x7f)
        return static_cast<Qt::Key>(code >= U'a' && code <= U'z' ? code - 32 : code);
    if (code >= 0xa0 && code <= 0xff)
        return static_cast<Qt::Key>(QChar::toUpper(code));
    return Qt::Key_unknown;
}

void press(QWidget* field, const Typed& typed)
{
    const QString text = QString::fromUcs4(&typed.code, 1);
    Qt::Key key = keyFor(typed.code);
    if ((typed.modifiers & Qt::ControlModifier) && typed.code >= 1 && typed.code <= 26)
        key = static_cast<Qt::Key>(Qt::Key_A + static_cast<int>(typed.code) - 1);
    QKeyEvent down(QEvent::KeyPress, key, typed.modifiers, text);
    QCoreApplication::sendEvent(field, &down);
    QKeyEvent up(QEvent::KeyRelease, key, typed.modifiers, text);
    QCoreApplication::sendEvent(field, &up);
}

void commit(QWidget* field, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(field, &event);
}

// One typed key per input piece: an ASCII byte stands for itself; other lead bytes pick a
// Ctrl+letter, an Alt combination or any code point up to U+10FFFF.
std::vector<Typed> sequenceFrom(fuzzsupport::Input& input)
{
    std::vector<Typed> keys;
    while (!input.empty() && keys.size() < 256) {
        const std::uint8_t lead = input.byte();
        if (lead < 0x80) {
            keys.push_back({lead});
        } else if (lead < 0xa0) {
            // Ctrl+H and Ctrl+M are left out: the filter passes them on as Backspace and Enter,
            // but the field, seeing Ctrl and a letter, neither erases nor starts a line.
            char32_t letter = 1 + (lead & 0x1f) % 26;
            if (letter == 8 || letter == 13)
                letter = 1;
            keys.push_back({letter, Qt::ControlModifier});
        } else if (lead < 0xc0) {
            keys.push_back({static_cast<char32_t>(0x20 + input.byte() % 0x5f), Qt::AltModifier});
        } else {
            const std::uint32_t wide = (static_cast<std::uint32_t>(lead & 0x3f) << 16) | input.word();
            char32_t code = wide % 0x110000;
            // Surrogate halves are no characters: no keyboard or input method sends one alone.
            if (code >= 0xd800 && code <= 0xdfff)
                code += 0x800;
            keys.push_back({code});
        }
    }
    return keys;
}

bool nameCharactersOnly(const QString& text)
{
    for (QChar c : text) {
        if (!(c >= u'A' && c <= u'Z') && c != u' ' && c != u'\n')
            return false;
    }
    return true;
}

void checkNameField(reading::frmMain& form, const std::vector<Typed>& keys, bool byInputMethod)
{
    auto* field = control<ui::MultiLineTextBox>(form, "txtName");
    field->clear();
    messageCount = 0;
    QString expected;
    int expectedMessages = 0;
    QString committed;
    for (const Typed& typed : keys) {
        // Alt combinations are access keys and Tab moves the focus: neither types a character.
        if (typed.modifiers & Qt::AltModifier)
            continue;
        if (typed.code == 9 && typed.modifiers == Qt::NoModifier && !byInputMethod)
            continue;
        if (byInputMethod && typed.code < 32)
            continue;
        const auto verdict = nameRule(typed.code);
        if (!verdict)
            ++expectedMessages;
        else if (*verdict == 8)
            expected.chop(1);
        else if (*verdict == 13)
            expected += u'\n';
        else
            expected += QChar(static_cast<char16_t>(*verdict));
    }
    if (byInputMethod) {
        for (const Typed& typed : keys) {
            if (typed.modifiers == Qt::NoModifier && typed.code >= 32)
                committed += QString::fromUcs4(&typed.code, 1);
        }
        commit(field, committed);
    } else {
        for (const Typed& typed : keys)
            press(field, typed);
    }
    const QString shown = field->toPlainText();
    require(nameCharactersOnly(shown), "the name field holds only capitals, spaces and line breaks",
            codes(shown));
    require(shown == expected, "the name field holds what the rule lets through",
            codes(expected) + u' ' + codes(shown));
    require(messageCount == expectedMessages, "one message per refused character",
            QStringLiteral("%1 %2").arg(expectedMessages).arg(messageCount));
    require(expectedMessages == 0 || lastMessage == u"Please Enter only Letters", "the name field's message",
            lastMessage);
}

void checkEmailBox(QLineEdit* box, QLineEdit& twin, const std::vector<Typed>& keys, bool byInputMethod)
{
    // setText, unlike clear, also forgets the undo history, which Ctrl+Z would bring back.
    box->setText(QString());
    twin.setText(QString());
    messageCount = 0;
    int spaces = 0;
    if (byInputMethod) {
        QString committed;
        for (const Typed& typed : keys) {
            if (typed.modifiers == Qt::NoModifier && typed.code >= 32)
                committed += QString::fromUcs4(&typed.code, 1);
        }
        spaces = static_cast<int>(committed.count(u' '));
        commit(box, committed);
        commit(&twin, QString(committed).remove(u' '));
    } else {
        for (const Typed& typed : keys) {
            // Tab would leave the box, and its placeholder rules would then act on it.
            if (typed.code == 9 && typed.modifiers == Qt::NoModifier)
                continue;
            press(box, typed);
            // Alt combinations are access keys: like the refused space, they type nothing.
            if (typed.code == U' ' && typed.modifiers == Qt::NoModifier)
                ++spaces;
            else if (!(typed.modifiers & Qt::AltModifier))
                press(&twin, typed);
            require(box->text() == twin.text(),
                    "every key but the space and Alt combinations reaches the box",
                    codes(twin.text()) + u' ' + codes(box->text()));
        }
    }
    require(box->text() == twin.text(), "every character but the space reaches the box as it is",
            codes(twin.text()) + u' ' + codes(box->text()));
    require(!box->text().contains(u' '), "no typed space gets into an e-mail box", codes(box->text()));
    require(messageCount == spaces, "one message per space",
            QStringLiteral("%1 %2").arg(spaces).arg(messageCount));
    require(spaces == 0 || lastMessage == u"Email Address Cannot Contain Space", "the e-mail box's message",
            lastMessage);
}

} // namespace

namespace {
// Made once, before the first input, and kept for the whole fuzzing run.
app::ProgramState* state = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::startApplication("fuzz_keyfilter");
    ui::testing::setMessageBoxHandler([](const ui::testing::MessageRequest& request) {
        ++messageCount;
        lastMessage = request.text;
        return ui::MsgAnswer::Ok;
    });
    // The program's state and its windows, as the start-up root would make them.
    state = new app::ProgramState;
    app::connectWindows(*state);
    state->forms.show<reading::frmMain>();
    state->forms.show<referral::frmNagScreen2>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static auto* twin = new QLineEdit;
    fuzzsupport::Input input({data, size});
    const std::uint8_t how = input.byte();
    const bool byInputMethod = how & 1;

    // The bare rule, for any 32-bit value a key event could carry.
    fuzzsupport::Input raw({data, size});
    while (raw.remaining() >= 4) {
        const char32_t code = raw.word() | (static_cast<char32_t>(raw.word()) << 16);
        require(reading::nameKeyVerdict(code) == nameRule(code), "the name verdict follows the rule",
                QString::number(code));
    }

    const std::vector<Typed> keys = sequenceFrom(input);
    auto& main = state->forms.get<reading::frmMain>();
    auto& nag = state->forms.get<referral::frmNagScreen2>();
    checkNameField(main, keys, byInputMethod);

    // The box has the focus already, so the filter's own focus call moves nothing.
    QLineEdit* box =
        (how & 2) ? control<QLineEdit>(nag, "txtFriendEmail") : control<QLineEdit>(nag, "txtEmail");
    QApplication::setActiveWindow(&nag);
    box->setFocus();
    checkEmailBox(box, *twin, keys, byInputMethod);
    return 0;
}
