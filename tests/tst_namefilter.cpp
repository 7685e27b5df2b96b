// The name field takes letters (as capitals), space, Backspace and Enter; everything else a
// keyboard can type is refused with a message. Only an empty name stops a reading.
#include "reading/frmDisplay.h"
#include "reading/frmMain.h"
#include "support/testsupport.h"
#include "support/texts.h"
#include "ui/controls.h"
#include "ui/forms.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>

namespace texts = testsupport::texts;

using reading::frmDisplay;
using reading::frmMain;

namespace {

// Types one character code the way a keyboard delivers it: a key press carrying the text.
void typeCode(QWidget* field, char32_t code)
{
    const QString text = QString::fromUcs4(&code, 1);
    const int key = code == '\r' ? Qt::Key_Return : code == '\b' ? Qt::Key_Backspace : Qt::Key_unknown;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(field, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(field, &release);
}

} // namespace

class NameFilterTest : public testsupport::ProgramTest {
    Q_OBJECT

    frmMain* form = nullptr;

private slots:
    void init()
    {
        ProgramTest::init();
        form = startProgram();
        QVERIFY(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
    }

    void cleanup()
    {
        QCOMPARE(run->ends, 0);
        ProgramTest::cleanup();
    }

    void nameFieldHasTheFocusFirst()
    {
        QCOMPARE(QApplication::focusWidget(), testsupport::child<ui::MultiLineTextBox>(*form, "txtName"));
        QVERIFY(testsupport::child<ui::MultiLineTextBox>(*form, "txtName")->toPlainText().isEmpty());
        QTest::keyClick(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), testsupport::child<QPushButton>(*form, "cmdCalculate"));
        // Then the links: the forum, and whichever offer the start-up put in front.
        QTest::keyClick(testsupport::child<QPushButton>(*form, "cmdCalculate"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Label14"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* offer = QApplication::focusWidget();
        QVERIFY(offer->objectName() == u"lblCobrand" || offer->objectName() == u"lblFullBrand");
        QCOMPARE(offer->parentWidget()->children().last(), offer);
        QTest::keyClick(offer, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), testsupport::child<ui::MultiLineTextBox>(*form, "txtName"));
    }

    void acceptedCodes_data()
    {
        QTest::addColumn<uint>("code");
        QTest::addColumn<QString>("received");
        QTest::newRow("a becomes A") << uint('a') << QStringLiteral("A");
        QTest::newRow("z becomes Z") << uint('z') << QStringLiteral("Z");
        QTest::newRow("A stays") << uint('A') << QStringLiteral("A");
        QTest::newRow("Z stays") << uint('Z') << QStringLiteral("Z");
        QTest::newRow("m becomes M") << uint('m') << QStringLiteral("M");
        QTest::newRow("space") << uint(' ') << QStringLiteral(" ");
        QTest::newRow("enter starts a line") << uint('\r') << QStringLiteral("\n");
    }

    void acceptedCodes()
    {
        QFETCH(uint, code);
        QFETCH(QString, received);
        typeCode(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), char32_t(code));
        QCOMPARE(testsupport::child<ui::MultiLineTextBox>(*form, "txtName")->toPlainText(), received);
        QCOMPARE(boxes->count(), 0);
        QVERIFY(forms().find<frmDisplay>() == nullptr);
    }

    void refusedCodes_data()
    {
        QTest::addColumn<uint>("code");
        // Neighbours of the letter ranges first: off-by-one errors show up there.
        for (uint c : {uint('@'), uint('['), uint('`'), uint('{')})
            QTest::addRow("ascii %u", c) << c;
        for (uint c :
             {uint('0'), uint('5'), uint('9'), uint('-'), uint('\''), uint('.'), uint('!'), uint('~')})
            QTest::addRow("digit or punctuation %u", c) << c;
        // Control characters: Ctrl+A, Ctrl+C, Ctrl+V, Escape, NUL, DEL, line feed, tab.
        for (uint c : {1u, 3u, 22u, 27u, 0u, 127u, 10u, 9u, 31u})
            QTest::addRow("control %u", c) << c;
        // Latin-1 and beyond: accented letters, sharp s, letters of other scripts.
        for (uint c : {0xC0u, 0xE9u, 0xDFu, 0xFFu, 0x131u, 0x3A9u, 0x416u, 0x5D0u, 0x627u, 0x4E2Du, 0xFF21u})
            QTest::addRow("letter U+%04X", c) << c;
        // Outside the Basic Multilingual Plane: a mathematical letter and an emoji.
        for (uint c : {0x1D400u, 0x1F600u})
            QTest::addRow("astral U+%05X", c) << c;
    }

    void refusedCodes()
    {
        QFETCH(uint, code);
        typeCode(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), char32_t('a'));
        typeCode(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), char32_t(code));
        QCOMPARE(testsupport::child<ui::MultiLineTextBox>(*form, "txtName")->toPlainText(),
                 QStringLiteral("A"));
        QCOMPARE(boxes->count(), 1);
        QCOMPARE(boxes->shown.front().text, texts::kOnlyLetters);
        QCOMPARE(boxes->shown.front().icon, ui::MsgIcon::Information);
        QCOMPARE(boxes->shown.front().buttons, ui::MsgButtons::Ok);
    }

    void typingThroughTheKeyboard()
    {
        QTest::keyClicks(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), QStringLiteral("abc"));
        QCOMPARE(testsupport::child<ui::MultiLineTextBox>(*form, "txtName")->toPlainText(),
                 QStringLiteral("ABC"));
        QTest::keyClicks(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), QStringLiteral("a1b"));
        QCOMPARE(testsupport::child<ui::MultiLineTextBox>(*form, "txtName")->toPlainText(),
                 QStringLiteral("ABCAB"));
        QCOMPARE(boxes->count(), 1);
        QTest::keyClick(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), Qt::Key_Backspace);
        QCOMPARE(testsupport::child<ui::MultiLineTextBox>(*form, "txtName")->toPlainText(),
                 QStringLiteral("ABCA"));
        QTest::keyClick(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), Qt::Key_Return);
        QTest::keyClick(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), Qt::Key_Space);
        QCOMPARE(testsupport::child<ui::MultiLineTextBox>(*form, "txtName")->toPlainText(),
                 QStringLiteral("ABCA\n "));
        // Keys that type nothing are left to the field.
        QTest::keyClick(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), Qt::Key_Home);
        QTest::keyClick(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), Qt::Key_Delete);
        QCOMPARE(testsupport::child<ui::MultiLineTextBox>(*form, "txtName")->toPlainText(),
                 QStringLiteral("ABCA\n"));
        QCOMPARE(boxes->count(), 1);
    }

    void controlShortcutsAreCharactersToo_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Ctrl+V") << int(Qt::Key_V);
        QTest::newRow("Ctrl+C") << int(Qt::Key_C);
        QTest::newRow("Ctrl+A") << int(Qt::Key_A);
    }

    void controlShortcutsAreCharactersToo()
    {
        QFETCH(int, key);
        QApplication::clipboard()->setText(QStringLiteral("PASTED"));
        QTest::keyClicks(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), QStringLiteral("ab"));
        QTest::keyClick(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), Qt::Key(key),
                        Qt::ControlModifier);
        QCOMPARE(testsupport::child<ui::MultiLineTextBox>(*form, "txtName")->toPlainText(),
                 QStringLiteral("AB"));
        QCOMPARE(boxes->texts(), QStringList{texts::kOnlyLetters});
    }

    void altCombinationsTypeNothing_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("Alt+1") << int(Qt::Key_1) << QStringLiteral("1");
        QTest::newRow("Alt+Q") << int(Qt::Key_Q) << QStringLiteral("q");
        QTest::newRow("Alt+.") << int(Qt::Key_Period) << QStringLiteral(".");
    }

    void altCombinationsTypeNothing()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QTest::keyClicks(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), QStringLiteral("ab"));
        QKeyEvent press(QEvent::KeyPress, key, Qt::AltModifier, text);
        QApplication::sendEvent(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), &press);
        QCOMPARE(testsupport::child<ui::MultiLineTextBox>(*form, "txtName")->toPlainText(),
                 QStringLiteral("AB"));
        QCOMPARE(boxes->count(), 0);
    }

    void escapeIsRefused()
    {
        QTest::keyClick(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), Qt::Key_Escape);
        QCOMPARE(boxes->count(), 1);
        QVERIFY(testsupport::child<ui::MultiLineTextBox>(*form, "txtName")->toPlainText().isEmpty());
    }

    void tabMovesTheFocusWithoutAMessage()
    {
        QTest::keyClick(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), testsupport::child<QPushButton>(*form, "cmdCalculate"));
        QCOMPARE(boxes->count(), 0);
    }

    void inputMethodTextIsFilteredPerCharacter()
    {
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("a\u00e9b\u4e2d"));
        QApplication::sendEvent(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), &commit);
        QCOMPARE(testsupport::child<ui::MultiLineTextBox>(*form, "txtName")->toPlainText(),
                 QStringLiteral("AB"));
        QCOMPARE(boxes->count(), 2);
    }

    void emptyNameIsRefused()
    {
        testsupport::child<QPushButton>(*form, "cmdCalculate")->setFocus();
        QTest::mouseClick(testsupport::child<QPushButton>(*form, "cmdCalculate"), Qt::LeftButton);
        QCOMPARE(boxes->texts(), QStringList{texts::kEnterName});
        QCOMPARE(boxes->shown.front().icon, ui::MsgIcon::Information);
        QCOMPARE(QApplication::focusWidget(), testsupport::child<ui::MultiLineTextBox>(*form, "txtName"));
        QVERIFY(forms().find<frmDisplay>() == nullptr);
        QVERIFY(form->isVisible());
    }

    void menuItemChecksTheNameLikeTheButton()
    {
        testsupport::child<QAction>(*form, "mnuMayan")->trigger();
        QCOMPARE(boxes->texts(), QStringList{texts::kEnterName});
        QVERIFY(forms().find<frmDisplay>() == nullptr);
        QTest::keyClicks(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), QStringLiteral("x"));
        testsupport::child<QAction>(*form, "mnuMayan")->trigger();
        QVERIFY(forms().find<frmDisplay>() != nullptr);
        QVERIFY(!form->isVisible());
    }

    void blankNamesStillCount_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::newRow("spaces only") << QStringLiteral("   ");
        QTest::newRow("line breaks only") << QStringLiteral("\r\r");
    }

    void blankNamesStillCount()
    {
        QFETCH(QString, keys);
        for (QChar c : keys)
            typeCode(testsupport::child<ui::MultiLineTextBox>(*form, "txtName"), c.unicode());
        QTest::mouseClick(testsupport::child<QPushButton>(*form, "cmdCalculate"), Qt::LeftButton);
        QCOMPARE(boxes->count(), 0);
        auto* display = forms().find<frmDisplay>();
        QVERIFY(display && display->isVisible());
        QVERIFY(!form->isVisible());
    }

    void pastedTextIsNotFilteredAndAHugeNameWorks()
    {
        // A megabyte pasted through the context menu: nothing checks it but emptiness.
        const QString huge(1 << 20, u'\u00e9');
        testsupport::child<ui::MultiLineTextBox>(*form, "txtName")->pasteText(huge);
        QCOMPARE(testsupport::child<ui::MultiLineTextBox>(*form, "txtName")->document()->characterCount(),
                 (1 << 20) + 1);
        QTest::mouseClick(testsupport::child<QPushButton>(*form, "cmdCalculate"), Qt::LeftButton);
        QCOMPARE(boxes->count(), 0);
        auto* display = forms().find<frmDisplay>();
        QVERIFY(display && display->isVisible());
        QTest::mouseClick(testsupport::child<QPushButton>(*display, "cmdBeads"), Qt::LeftButton);
        QCOMPARE(testsupport::child<QPushButton>(*display, "cmdBeads")->text(), texts::kSecondCount);
    }
};

QTEST_MAIN(NameFilterTest)
#include "tst_namefilter.moc"
