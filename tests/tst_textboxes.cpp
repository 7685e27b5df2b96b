// Every text box of every window, as the window system really feeds it: a paste with nothing
// to paste, a paste longer than a line box's default limit, and keys that edit rather than
// type, which X11 sends with a text of their own (Delete comes as U+007F).
#include "reading/frmMain.h"
#include "referral/frmNagScreen2.h"
#include "support/testsupport.h"
#include "ui/forms.h"

#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QString textOf(QWidget* box)
{
    if (auto* line = qobject_cast<QLineEdit*>(box))
        return line->text();
    return qobject_cast<QPlainTextEdit*>(box)->toPlainText();
}

void setTextOf(QWidget* box, const QString& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(box))
        line->setText(text);
    else
        qobject_cast<QPlainTextEdit*>(box)->setPlainText(text);
}

QString nameOf(QWidget* box)
{
    return box->window()->objectName() + u'.' + box->objectName();
}

} // namespace

class TextBoxesTest : public testsupport::ProgramTest {
    Q_OBJECT

    // The text boxes of the windows that have any, found as a user would: by looking.
    QList<QWidget*> everyTextBox()
    {
        QList<QWidget*> found;
        for (QWidget* window : {static_cast<QWidget*>(&forms().get<reading::frmMain>()),
                                static_cast<QWidget*>(&forms().get<referral::frmNagScreen2>())}) {
            for (auto* line : window->findChildren<QLineEdit*>())
                found << line;
            for (auto* text : window->findChildren<QPlainTextEdit*>())
                found << text;
        }
        return found;
    }

    void key(QWidget* box, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(box, &release);
    }

private slots:
    void paste_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        // Nobody owns the clipboard: the platform hands over data with no format at all.
        QTest::newRow("nothing, Shift+Insert")
            << true << QString() << Qt::Key_Insert << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("empty text, Shift+Insert")
            << false << QString() << Qt::Key_Insert << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("a word, Shift+Insert")
            << false << QStringLiteral("Tara") << Qt::Key_Insert << Qt::KeyboardModifiers(Qt::ShiftModifier);
        // One-line boxes cut at 32,767 characters by default.
        QTest::newRow("40,000 characters, Shift+Insert")
            << false << QString(40000, u'x') << Qt::Key_Insert << Qt::KeyboardModifiers(Qt::ShiftModifier);
    }

    void paste()
    {
        QFETCH(bool, empty);
        QFETCH(QString, clip);
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);

        const QList<QWidget*> textBoxes = everyTextBox();
        QCOMPARE(textBoxes.size(), 6);
        for (QWidget* box : textBoxes) {
            auto* data = new QMimeData;
            if (!empty)
                data->setText(clip);
            QApplication::clipboard()->setMimeData(data);
            setTextOf(box, QStringLiteral("ab"));
            box->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(box, Qt::Key_End);
            this->key(box, key, modifiers, {});
            QVERIFY2(textOf(box) == u"ab"_s + clip, qPrintable(nameOf(box)));
        }
        QCOMPARE(boxes->count(), 0);
    }

    void keysThatTypeNothing_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("text");  // what X11 sends with the key
        QTest::addColumn<QString>("after"); // the box held "tara" and the cursor stood at its start

        const QString del = QStringLiteral("\x7f");
        const auto none = Qt::KeyboardModifiers();
        for (const char* box : {"frmMain.txtName", "frmNagScreen2.txtEmail"}) {
            const QString typed = qstrcmp(box, "frmMain.txtName") == 0 ? u"TARA"_s : u"tara"_s;
            QTest::addRow("%s: Delete", box) << box << Qt::Key_Delete << none << del << typed.mid(1);
            QTest::addRow("%s: Ctrl+Delete", box)
                << box << Qt::Key_Delete << Qt::KeyboardModifiers(Qt::ControlModifier) << del << QString();
            QTest::addRow("%s: Shift+Delete", box)
                << box << Qt::Key_Delete << Qt::KeyboardModifiers(Qt::ShiftModifier) << del << typed;
            QTest::addRow("%s: End", box) << box << Qt::Key_End << none << QString() << typed;
            QTest::addRow("%s: F2", box) << box << Qt::Key_F2 << none << QString() << typed;
            QTest::addRow("%s: Page Down", box) << box << Qt::Key_PageDown << none << QString() << typed;
        }
    }

    void keysThatTypeNothing()
    {
        QFETCH(QString, box);
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, text);
        QFETCH(QString, after);

        QWidget* target = nullptr;
        for (QWidget* candidate : everyTextBox()) {
            if (nameOf(candidate) == box)
                target = candidate;
        }
        QVERIFY(target);
        target->setFocus(Qt::OtherFocusReason);
        setTextOf(target, {});
        QTest::keyClicks(target, QStringLiteral("tara"));
        QTest::keyClick(target, Qt::Key_Home);
        this->key(target, key, modifiers, text);
        QCOMPARE(textOf(target), after);
        QCOMPARE(boxes->count(), 0);
    }
};

QTEST_MAIN(TextBoxesTest)
#include "tst_textboxes.moc"
