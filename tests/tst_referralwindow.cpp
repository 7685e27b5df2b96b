// The refer-a-friend window: its controls and texts, the tab order, the placeholders of the
// five text boxes, the space filter of the two e-mail boxes, its two links and its creation.
#include "referral/frmNagScreen2.h"
#include "referral/modTellAFriend.h"
#include "referral/promo.h"
#include "services/links.h"
#include "support/testsupport.h"
#include "support/texts.h"
#include "ui/controls.h"
#include "ui/forms.h"
#include "ui/linklabel.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QStyleHints>

#include <memory>

namespace texts = testsupport::texts;

using referral::frmNagScreen2;

namespace {

const QColor kNavy{0, 0, 128};

QString shownText(const QWidget* widget)
{
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* link = qobject_cast<const ui::LinkLabel*>(widget))
        return link->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(widget))
        return frame->title();
    if (auto* line = qobject_cast<const QLineEdit*>(widget))
        return line->text();
    return {};
}

} // namespace

class ReferralWindowTest : public testsupport::ProgramTest {
    Q_OBJECT

    // Shows the window as the exit flow does and waits until it has the focus.
    frmNagScreen2& open()
    {
        forms().show<frmNagScreen2>();
        auto* form = forms().find<frmNagScreen2>();
        if (!QTest::qWaitForWindowActive(form))
            qWarning("the refer-a-friend window did not become active");
        return *form;
    }

    QWidget* box(frmNagScreen2& form, const QString& name) { return form.findChild<QWidget*>(name); }

    QString textOf(frmNagScreen2& form, QWidget* widget)
    {
        return widget == testsupport::child<ui::MultiLineTextBox>(form, "txtMessage") ? form.messageText()
                                                                                      : shownText(widget);
    }

    void setTextOf(frmNagScreen2& form, QWidget* widget, const QString& text)
    {
        if (widget == testsupport::child<ui::MultiLineTextBox>(form, "txtMessage"))
            form.setMessageText(text);
        else
            qobject_cast<QLineEdit*>(widget)->setText(text);
    }

private slots:
    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("text");

        const QString client = QStringLiteral("client");
        QTest::newRow("Label1") << "Label1" << client << QRect(1080, 240, 4635, 435) << texts::kWindowCaption;
        QTest::newRow("Picture1") << "Picture1" << client << QRect(360, 120, 540, 540) << QString();
        QTest::newRow("Check1") << "Check1" << client << QRect(30, 2040, 7185, 555)
                                << QStringLiteral("Click Here To Visit ") + services::ForumHost() +
                                       QStringLiteral(" Now");
        QTest::newRow("cmdClose") << "cmdClose" << client << QRect(6000, 2760, 1245, 375) << "E&xit";
        QTest::newRow("Frame2") << "Frame2" << client << QRect(120, 3240, 7065, 1455) << "Refer A Friend";
        QTest::newRow("txtName") << "txtName"
                                 << "Frame2" << QRect(85, 360, 3375, 285) << "Your Name";
        QTest::newRow("txtEmail") << "txtEmail"
                                  << "Frame2" << QRect(3600, 360, 3375, 285) << "Your Email Address";
        QTest::newRow("txtFriendName") << "txtFriendName"
                                       << "Frame2" << QRect(85, 720, 3375, 285) << "Friend's Name";
        QTest::newRow("txtFriendEmail")
            << "txtFriendEmail"
            << "Frame2" << QRect(3600, 720, 3375, 285) << "Friend's Email Address";
        QTest::newRow("cmdSubmit") << "cmdSubmit"
                                   << "Frame2" << QRect(1920, 1080, 3375, 285) << "Refer A Friend &Now";
        QTest::newRow("txtMessage") << "txtMessage"
                                    << "Frame2" << QRect(4800, 3600, 1815, 495) << "Your Message\r\n";
        QTest::newRow("Frame6") << "Frame6" << client << QRect(7320, 120, 3735, 4575)
                                << "Download Veldrane Softwares";
        QTest::newRow("lblGoToHome") << "lblGoToHome"
                                     << "Frame6" << QRect(75, 4250, 3585, 210)
                                     << "Click Here To Visit Veldrane Softwares";
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, twips);
        QFETCH(QString, text);

        frmNagScreen2& form = open();
        QWidget* widget = box(form, name);
        QVERIFY2(widget, qPrintable(name));
        QWidget* expectedParent = parent == u"client" ? form.centralWidget() : box(form, parent);
        QCOMPARE(widget->parentWidget(), expectedParent);
        QCOMPARE(widget->geometry(), ui::twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
        if (!text.isEmpty())
            QCOMPARE(textOf(form, widget), text);
        if (name != u"Label1" && name != u"Picture1")
            QCOMPARE(widget->font().family(), ui::windowFont(8.25).family());
    }

    void windowLook()
    {
        frmNagScreen2& form = open();
        QCOMPARE(form.windowTitle(), texts::kWindowCaption);
        QCOMPARE(form.centralWidget()->size(), ui::twipsSize(11115, 4725));
        QCOMPARE(form.centralWidget()->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(form.centralWidget()->autoFillBackground());
        for (QGroupBox* frame :
             {testsupport::child<QGroupBox>(form, "Frame2"), testsupport::child<QGroupBox>(form, "Frame6")}) {
            QCOMPARE(frame->palette().color(QPalette::Window), kNavy);
            QCOMPARE(frame->palette().color(QPalette::WindowText), QColor(Qt::white));
            QVERIFY(frame->autoFillBackground());
        }
        QVERIFY(!testsupport::child<QLabel>(form, "Label1")
                     ->font()
                     .families()
                     .contains(QStringLiteral("Verdana")));
        QVERIFY(testsupport::child<QLabel>(form, "Label2")->font().bold());
        QCOMPARE(testsupport::child<QLabel>(form, "Label2")->font().pixelSize(), 13);
        QCOMPARE(testsupport::child<QCheckBox>(form, "Check1")->font().pixelSize(), 19);
        QCOMPARE(testsupport::child<QLabel>(form, "Label3")->font().pixelSize(), 12);
        QCOMPARE(testsupport::child<QLabel>(form, "Label3")->palette().color(QPalette::WindowText),
                 QColor(Qt::white));
        QVERIFY(testsupport::child<ui::LinkLabel>(form, "lblGoToHome")->font().bold() &&
                testsupport::child<ui::LinkLabel>(form, "lblGoToHome")->font().underline());
        QCOMPARE(
            testsupport::child<ui::LinkLabel>(form, "lblGoToHome")->palette().color(QPalette::WindowText),
            QColor(255, 255, 0));
        QCOMPARE(testsupport::child<QCheckBox>(form, "Check1")->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(testsupport::child<ui::LinkLabel>(form, "lblGoToHome")->cursor().shape(),
                 Qt::PointingHandCursor);
        QVERIFY(!testsupport::child<ui::PictureBox>(form, "Picture1")->pixmap().isNull());
        QVERIFY(!testsupport::child<QCheckBox>(form, "Check1")->isChecked());

        // The two paragraphs of the catalogue text.
        const QStringList paragraphs =
            testsupport::child<QLabel>(form, "Label3")->text().split(QStringLiteral("\n\n"));
        QCOMPARE(paragraphs.size(), 2);
        for (const char* topic : {"astrology", "psychic", "tarot", "numerology", "occult"})
            QVERIFY2(paragraphs[0].contains(QLatin1StringView(topic)), topic);
        QVERIFY(paragraphs[1].contains(QStringLiteral("friends and family")));
    }

    // Each text stays inside its control: nothing is cut off at the bottom or the right.
    void textsFit()
    {
        frmNagScreen2& form = open();
        auto fits = [](const QWidget* widget, const QString& text, int width, int height) {
            const QFontMetrics metrics(widget->font());
            const QRect needed =
                metrics.boundingRect(QRect(0, 0, width, 100 * height), Qt::TextWordWrap, text);
            return needed.width() <= width && needed.height() <= height + metrics.lineSpacing() / 2;
        };
        QVERIFY(fits(testsupport::child<QLabel>(form, "Label1"),
                     testsupport::child<QLabel>(form, "Label1")->text(),
                     testsupport::child<QLabel>(form, "Label1")->width(),
                     testsupport::child<QLabel>(form, "Label1")->height()));
        QVERIFY(fits(testsupport::child<QLabel>(form, "Label3"),
                     testsupport::child<QLabel>(form, "Label3")->text(),
                     testsupport::child<QLabel>(form, "Label3")->width(),
                     testsupport::child<QLabel>(form, "Label3")->height()));
        QVERIFY(fits(testsupport::child<ui::LinkLabel>(form, "lblGoToHome"),
                     testsupport::child<ui::LinkLabel>(form, "lblGoToHome")->text(),
                     testsupport::child<ui::LinkLabel>(form, "lblGoToHome")->width(),
                     testsupport::child<ui::LinkLabel>(form, "lblGoToHome")->height()));
        QVERIFY(fits(testsupport::child<QLabel>(form, "Label2"),
                     testsupport::child<QLabel>(form, "Label2")->text(),
                     testsupport::child<QLabel>(form, "Label2")->width(),
                     testsupport::child<QLabel>(form, "Label2")->height()));
        const int indicator = testsupport::child<QCheckBox>(form, "Check1")
                                  ->style()
                                  ->pixelMetric(QStyle::PM_IndicatorWidth, nullptr,
                                                testsupport::child<QCheckBox>(form, "Check1")) +
                              testsupport::child<QCheckBox>(form, "Check1")
                                  ->style()
                                  ->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr,
                                                testsupport::child<QCheckBox>(form, "Check1"));
        QVERIFY(fits(testsupport::child<QCheckBox>(form, "Check1"),
                     testsupport::child<QCheckBox>(form, "Check1")->text(),
                     testsupport::child<QCheckBox>(form, "Check1")->width() - indicator,
                     QFontMetrics(testsupport::child<QCheckBox>(form, "Check1")->font()).height()));
        // Every promotional message fits at the label's own font, without narrowing.
        const QFont messageFont = ui::windowFont(9.75, true);
        for (int k = 0; k < referral::kPromoMessageCount; ++k) {
            QLabel probe;
            probe.setFont(messageFont);
            QVERIFY2(fits(&probe, referral::PromoMessage(k),
                          testsupport::child<QLabel>(form, "Label2")->width(),
                          testsupport::child<QLabel>(form, "Label2")->height()),
                     qPrintable(referral::PromoMessage(k)));
        }
    }

    void tabOrder()
    {
        frmNagScreen2& form = open();
        QCOMPARE(QApplication::focusWidget(), testsupport::child<QPushButton>(form, "cmdClose"));
        const QStringList chain{"Check1",        "txtName",    "cmdSubmit",   "txtEmail", "txtFriendEmail",
                                "txtFriendName", "txtMessage", "lblGoToHome", "cmdClose"};
        for (const QString& next : chain) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY(QApplication::focusWidget());
            QCOMPARE(QApplication::focusWidget()->objectName(), next);
        }
        // The message box is out of sight below the frame's edge, yet enabled and in the chain.
        QVERIFY(testsupport::child<ui::MultiLineTextBox>(form, "txtMessage")->isVisible() &&
                testsupport::child<ui::MultiLineTextBox>(form, "txtMessage")->isEnabled());
        QVERIFY(testsupport::child<ui::MultiLineTextBox>(form, "txtMessage")->y() >
                testsupport::child<QGroupBox>(form, "Frame2")->height());
    }

    void placeholderOnFocusIn_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");

        QTest::newRow("name placeholder") << "txtName"
                                          << "Your Name"
                                          << "";
        QTest::newRow("placeholder between spaces") << "txtName"
                                                    << "   Your Name  "
                                                    << "";
        QTest::newRow("other letter case") << "txtName"
                                           << "your name"
                                           << "your name";
        QTest::newRow("tab is not trimmed") << "txtName"
                                            << "Your Name\t"
                                            << "Your Name\t";
        QTest::newRow("a real name") << "txtName"
                                     << "Anna"
                                     << "Anna";
        QTest::newRow("email placeholder") << "txtEmail"
                                           << "Your Email Address"
                                           << "";
        QTest::newRow("friend's name placeholder") << "txtFriendName"
                                                   << " Friend's Name"
                                                   << "";
        QTest::newRow("friend's email placeholder") << "txtFriendEmail"
                                                    << "Friend's Email Address "
                                                    << "";
        QTest::newRow("friend's email other case") << "txtFriendEmail"
                                                   << "FRIEND'S EMAIL ADDRESS"
                                                   << "FRIEND'S EMAIL ADDRESS";
        QTest::newRow("message initial text") << "txtMessage"
                                              << "Your Message\r\n"
                                              << "Your Message\r\n";
        QTest::newRow("message placeholder") << "txtMessage"
                                             << "Your Message"
                                             << "";
        QTest::newRow("message between spaces") << "txtMessage"
                                                << "  Your Message "
                                                << "";
    }

    void placeholderOnFocusIn()
    {
        QFETCH(QString, name);
        QFETCH(QString, before);
        QFETCH(QString, after);

        frmNagScreen2& form = open();
        QWidget* widget = box(form, name);
        setTextOf(form, widget, before);
        widget->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), widget);
        QCOMPARE(textOf(form, widget), after);
    }

    void placeholderOnFocusOut_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");

        QTest::newRow("empty name") << "txtName"
                                    << ""
                                    << "Your Name";
        QTest::newRow("only spaces") << "txtName"
                                     << "    "
                                     << "Your Name";
        QTest::newRow("name kept untrimmed") << "txtName"
                                             << "  Anna "
                                             << "  Anna ";
        QTest::newRow("tab only") << "txtName"
                                  << "\t"
                                  << "\t";
        QTest::newRow("empty email") << "txtEmail"
                                     << ""
                                     << "Your Email Address";
        QTest::newRow("empty friend's name") << "txtFriendName"
                                             << " "
                                             << "Friend's Name";
        QTest::newRow("empty friend's email") << "txtFriendEmail"
                                              << ""
                                              << "Friend's Email Address";
        QTest::newRow("empty message") << "txtMessage"
                                       << ""
                                       << "Your Message";
        QTest::newRow("message of spaces") << "txtMessage"
                                           << "   "
                                           << "Your Message";
        QTest::newRow("message line break only") << "txtMessage"
                                                 << "\r\n"
                                                 << "\r\n";
        QTest::newRow("message kept") << "txtMessage"
                                      << " Hi\r\nthere "
                                      << " Hi\r\nthere ";
    }

    void placeholderOnFocusOut()
    {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, after);

        frmNagScreen2& form = open();
        QWidget* widget = box(form, name);
        widget->setFocus(Qt::TabFocusReason);
        setTextOf(form, widget, typed);
        testsupport::child<QPushButton>(form, "cmdClose")->setFocus(Qt::TabFocusReason);
        QCOMPARE(textOf(form, widget), after);
    }

    void tabbingThroughTheName()
    {
        frmNagScreen2& form = open();
        QTest::keyClick(testsupport::child<QPushButton>(form, "cmdClose"), Qt::Key_Tab);
        QTest::keyClick(testsupport::child<QCheckBox>(form, "Check1"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), testsupport::child<QLineEdit>(form, "txtName"));
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtName")->text(), QString());
        QTest::keyClick(testsupport::child<QLineEdit>(form, "txtName"), Qt::Key_Tab);
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtName")->text(), QStringLiteral("Your Name"));
        QTest::keyClick(testsupport::child<QPushButton>(form, "cmdSubmit"), Qt::Key_Backtab);
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtName")->text(), QString());
        QTest::keyClicks(testsupport::child<QLineEdit>(form, "txtName"), QStringLiteral("Anna Lee"));
        QTest::keyClick(testsupport::child<QLineEdit>(form, "txtName"), Qt::Key_Tab);
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtName")->text(), QStringLiteral("Anna Lee"));
    }

    void messageBoxCycle()
    {
        frmNagScreen2& form = open();
        testsupport::child<ui::MultiLineTextBox>(form, "txtMessage")->setFocus(Qt::TabFocusReason);
        QCOMPARE(form.messageText(), texts::kFirstMessage);
        // Emptied by the user, left, then entered again.
        QTest::keyClick(testsupport::child<ui::MultiLineTextBox>(form, "txtMessage"), Qt::Key_A,
                        Qt::ControlModifier);
        QTest::keyClick(testsupport::child<ui::MultiLineTextBox>(form, "txtMessage"), Qt::Key_Delete);
        QCOMPARE(form.messageText(), QString());
        testsupport::child<QPushButton>(form, "cmdClose")->setFocus(Qt::TabFocusReason);
        QCOMPARE(form.messageText(), texts::kMessagePlaceholder);
        testsupport::child<ui::MultiLineTextBox>(form, "txtMessage")->setFocus(Qt::TabFocusReason);
        QCOMPARE(form.messageText(), QString());
        QTest::keyClicks(testsupport::child<ui::MultiLineTextBox>(form, "txtMessage"),
                         QStringLiteral("Hello"));
        QTest::keyClick(testsupport::child<ui::MultiLineTextBox>(form, "txtMessage"), Qt::Key_Return);
        QTest::keyClicks(testsupport::child<ui::MultiLineTextBox>(form, "txtMessage"),
                         QStringLiteral("friend"));
        QCOMPARE(form.messageText(), QStringLiteral("Hello\r\nfriend"));
    }

    // A focus that leaves for another window, a message box or a menu comes back to the same
    // box: it neither restores nor clears the placeholder.
    void focusLeavingTheWindowKeepsTheText()
    {
        frmNagScreen2& form = open();
        testsupport::child<QLineEdit>(form, "txtName")->setFocus(Qt::TabFocusReason);
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtName")->text(), QString());
        QWidget other;
        other.setObjectName(QStringLiteral("other"));
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtName")->text(), QString());
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget(), testsupport::child<QLineEdit>(form, "txtName"));
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtName")->text(), QString());
    }

    void spaceFilter_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("messages");

        QTest::newRow("email with a space") << "txtEmail"
                                            << "ab c@d.e"
                                            << "abc@d.e" << 1;
        QTest::newRow("email of spaces") << "txtEmail"
                                         << "  "
                                         << "" << 2;
        QTest::newRow("friend's email") << "txtFriendEmail"
                                        << " x@y.z "
                                        << "x@y.z" << 2;
        QTest::newRow("email without spaces") << "txtEmail"
                                              << "a.b+c@d-e.f"
                                              << "a.b+c@d-e.f" << 0;
        QTest::newRow("name takes spaces") << "txtName"
                                           << "Anna Lee"
                                           << "Anna Lee" << 0;
        QTest::newRow("friend's name takes spaces") << "txtFriendName"
                                                    << " Bo Ek"
                                                    << " Bo Ek" << 0;
    }

    void spaceFilter()
    {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QFETCH(int, messages);

        frmNagScreen2& form = open();
        QWidget* widget = box(form, name);
        widget->setFocus(Qt::TabFocusReason);
        QString textWhileOpen = QStringLiteral("unset");
        boxes->whileOpen = [&](const ui::testing::MessageRequest&) {
            textWhileOpen = qobject_cast<QLineEdit*>(widget)->text();
        };
        QTest::keyClicks(widget, typed);
        QCOMPARE(qobject_cast<QLineEdit*>(widget)->text(), after);
        QCOMPARE(boxes->count(), messages);
        for (const auto& shown : boxes->shown) {
            QCOMPARE(shown.text, texts::kNoSpace);
            QCOMPARE(shown.icon, ui::MsgIcon::Error);
            QCOMPARE(shown.buttons, ui::MsgButtons::Ok);
        }
        if (messages > 0)
            QVERIFY(!textWhileOpen.contains(u' '));
        QCOMPARE(QApplication::focusWidget(), widget);
    }

    void pastedSpacePasses()
    {
        frmNagScreen2& form = open();
        testsupport::child<QLineEdit>(form, "txtFriendEmail")->setFocus(Qt::TabFocusReason);
        QApplication::clipboard()->setText(QStringLiteral("bo ek@y.z"));
        QTest::keyClick(testsupport::child<QLineEdit>(form, "txtFriendEmail"), Qt::Key_V,
                        Qt::ControlModifier);
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtFriendEmail")->text(), QStringLiteral("bo ek@y.z"));
        QCOMPARE(boxes->count(), 0);
    }

    void check1OpensTheForum_data()
    {
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<int>("clicks");
        QTest::newRow("mouse, once") << false << 1;
        QTest::newRow("mouse, three times") << false << 3;
        QTest::newRow("space bar, once") << true << 1;
        QTest::newRow("space bar, twice") << true << 2;
    }

    void check1OpensTheForum()
    {
        QFETCH(bool, byKeyboard);
        QFETCH(int, clicks);

        frmNagScreen2& form = open();
        const QString forum = services::linkAddress(services::LinkTarget::ForumHomePage);
        for (int i = 1; i <= clicks; ++i) {
            if (byKeyboard) {
                testsupport::child<QCheckBox>(form, "Check1")->setFocus(Qt::TabFocusReason);
                QTest::keyClick(testsupport::child<QCheckBox>(form, "Check1"), Qt::Key_Space);
            } else {
                QTest::mouseClick(testsupport::child<QCheckBox>(form, "Check1"), Qt::LeftButton, {},
                                  QPoint(8, testsupport::child<QCheckBox>(form, "Check1")->height() / 2));
            }
            QCOMPARE(browser->opened.size(), i);
            QCOMPARE(browser->opened.last(), forum);
            QVERIFY(!testsupport::child<QCheckBox>(form, "Check1")->isChecked());
        }
        QCOMPARE(forum, QStringLiteral("http://") + services::ForumHost());
        QVERIFY(form.isVisible());
    }

    // One deliberate press, one send: presses that follow the one that acted within the system's
    // double-click interval do nothing; a press after it acts again. Times are the presses' own
    // stamps, in milliseconds after the first.
    void doubleClickActsOnce_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QList<int>>("presses");
        QTest::addColumn<int>("sends");
        const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
        for (const char* control : {"cmdSubmit", "Check1"}) {
            QTest::addRow("%s, double click 80 ms apart", control) << control << QList<int>{0, 80} << 1;
            QTest::addRow("%s, double click at the interval's end", control)
                << control << QList<int>{0, interval - 1} << 1;
            QTest::addRow("%s, triple click", control) << control << QList<int>{0, 80, 160} << 1;
            QTest::addRow("%s, clicks a little over the interval apart", control)
                << control << QList<int>{0, interval + 1} << 2;
            QTest::addRow("%s, double click, then another", control)
                << control << QList<int>{0, 80, interval + 100, interval + 180} << 2;
        }
    }

    void doubleClickActsOnce()
    {
        QFETCH(QString, control);
        QFETCH(QList<int>, presses);
        QFETCH(int, sends);

        frmNagScreen2& form = open();
        testsupport::child<QLineEdit>(form, "txtName")->setText(QStringLiteral("Anna"));
        testsupport::child<QLineEdit>(form, "txtEmail")->setText(QStringLiteral("anna@b.c"));
        testsupport::child<QLineEdit>(form, "txtFriendName")->setText(QStringLiteral("Bo"));
        testsupport::child<QLineEdit>(form, "txtFriendEmail")->setText(QStringLiteral("bo@e.f"));
        auto* button = testsupport::child<QAbstractButton>(form, qPrintable(control));
        const QPoint inside(8, button->height() / 2);
        const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
        // Stamped as the window system stamps them: a press that comes within the interval of
        // the one before is followed by a double click event, as the system reports one.
        const int start = QTest::lastMouseTimestamp + 10 * interval;
        int previous = -interval;
        for (int at : presses) {
            QTest::lastMouseTimestamp = start + at - 1;
            QTest::mousePress(button, Qt::LeftButton, {}, inside);
            if (at - previous < interval) {
                QTest::lastMouseTimestamp = start + at - 1;
                QTest::mouseDClick(button, Qt::LeftButton, {}, inside);
            }
            QTest::lastMouseTimestamp = start + at;
            QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
            previous = at;
        }
        QCOMPARE(browser->opened.size(), sends);
        const QString page = control == u"Check1" ? services::linkAddress(services::LinkTarget::ForumHomePage)
                                                  : run->state.referral.strReferralAddress;
        QCOMPARE(browser->opened, QStringList(sends, page));
        QVERIFY(!testsupport::child<QCheckBox>(form, "Check1")->isChecked());
        QCOMPARE(boxes->count(), 0);
    }

    void goToHomeOpensTheCatalogue()
    {
        frmNagScreen2& form = open();
        QTest::mouseClick(testsupport::child<ui::LinkLabel>(form, "lblGoToHome"), Qt::LeftButton, {},
                          QPoint(10, 5));
        QCOMPARE(browser->opened, QStringList{QStringLiteral("http://") + services::ForumHost() +
                                              QStringLiteral("/veldranesoftwares")});
        QVERIFY(form.isVisible());
        QCOMPARE(boxes->count(), 0);
    }

    // Created hidden by the first reading, shown at exit: one window, one message, on top.
    void createdOnceByAHide()
    {
        testsupport::ScriptedRandom random{run->state.random, {0.5f, 0.0f, 0.9f}};
        forms().hide<frmNagScreen2>();
        QPointer<frmNagScreen2> created = forms().find<frmNagScreen2>();
        QVERIFY(created);
        QVERIFY(!created->isVisible());
        QVERIFY(created->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(testsupport::child<QLabel>(*created, "Label2")->text(), referral::PromoMessage(2));
        QCOMPARE(random.consumed, 1);

        frmNagScreen2& shown = open();
        QCOMPARE(&shown, created.data());
        QVERIFY(shown.isVisible());
        QVERIFY(shown.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(testsupport::child<QLabel>(shown, "Label2")->text(), referral::PromoMessage(2));
        QCOMPARE(QApplication::focusWidget(), testsupport::child<QPushButton>(shown, "cmdClose"));

        forms().hide<frmNagScreen2>();
        forms().show<frmNagScreen2>();
        QCOMPARE(forms().find<frmNagScreen2>(), created.data());
        QCOMPARE(testsupport::child<QLabel>(shown, "Label2")->text(), referral::PromoMessage(2));
        QVERIFY(shown.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(random.consumed, 1);
    }

    // The boxes keep what the user typed across hiding and showing.
    void textsSurviveHiding()
    {
        frmNagScreen2& form = open();
        testsupport::child<QLineEdit>(form, "txtName")->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(testsupport::child<QLineEdit>(form, "txtName"), QStringLiteral("Anna"));
        testsupport::child<QPushButton>(form, "cmdClose")->setFocus(Qt::TabFocusReason);
        forms().hide<frmNagScreen2>();
        forms().show<frmNagScreen2>();
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtName")->text(), QStringLiteral("Anna"));
        QCOMPARE(form.messageText(), texts::kFirstMessage);
    }
};

QTEST_MAIN(ReferralWindowTest)
#include "tst_referralwindow.moc"
