// What a screen reader is told about the four windows and the message boxes: every control,
// menu item and picture has a role and a name it can read out, without access-key markers;
// link labels are links that can be pressed; the bead boxes name the omen they show.
#include "reading/frmDisplay.h"
#include "reading/frmMain.h"
#include "reading/reading.h"
#include "referral/frmNagScreen2.h"
#include "services/frmAbout.h"
#include "services/links.h"
#include "services/menus.h"
#include "services/product.h"
#include "support/testsupport.h"
#include "support/texts.h"
#include "ui/controls.h"
#include "ui/forms.h"
#include "ui/linklabel.h"
#include "ui/messagebox.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>

namespace texts = testsupport::texts;

using reading::frmDisplay;
using reading::frmMain;
using referral::frmNagScreen2;

namespace {

// The roles a user acts on or must be told about; each needs a name.
bool needsName(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::EditableText:
    case QAccessible::Link:
    case QAccessible::MenuItem:
    case QAccessible::Graphic:
    case QAccessible::Window:
    case QAccessible::Dialog:
        return true;
    default:
        return false;
    }
}

// An access-key marker is an ampersand before a letter or digit; "&&" has become a lone "&"
// followed by a space in the one caption that shows one.
bool hasMarker(const QString& text)
{
    static const QRegularExpression marker(QStringLiteral("&\\w"));
    return marker.match(text).hasMatch();
}

struct Node {
    QAccessible::Role role;
    QString name;
    QObject* object;
    bool invisible;
};

// Every node of the tree under an interface, as a screen reader walks it, closed menus included.
void walk(QAccessibleInterface* iface, QList<Node>& nodes, int depth = 0)
{
    if (!iface || !iface->isValid() || depth > 30)
        return;
    nodes.append(
        {iface->role(), iface->text(QAccessible::Name), iface->object(), bool(iface->state().invisible)});
    for (int i = 0; i < iface->childCount(); ++i)
        walk(iface->child(i), nodes, depth + 1);
}

QList<Node> treeOf(QWidget* window)
{
    QList<Node> nodes;
    walk(QAccessible::queryAccessibleInterface(window), nodes);
    return nodes;
}

QAccessibleInterface* interfaceOf(QObject* object)
{
    // A menu is read as its entry in the menu bar.
    if (auto* menu = qobject_cast<QMenu*>(object))
        object = menu->menuAction();
    if (auto* action = qobject_cast<QAction*>(object)) {
        // Menu items are reached through their menu, not by themselves.
        for (QWidget* window : QApplication::topLevelWidgets()) {
            QList<QAccessibleInterface*> pending{QAccessible::queryAccessibleInterface(window)};
            while (!pending.isEmpty()) {
                QAccessibleInterface* iface = pending.takeFirst();
                if (!iface)
                    continue;
                if (iface->object() == action)
                    return iface;
                for (int i = 0; i < iface->childCount(); ++i)
                    pending.append(iface->child(i));
            }
        }
        return nullptr;
    }
    return QAccessible::queryAccessibleInterface(object);
}

} // namespace

class AccessibilityTest : public testsupport::ProgramTest {
    Q_OBJECT

    frmMain* main = nullptr;

    // The window named in a test row, made and shown; the About window is handed to `inside`.
    void withWindow(const QString& name, const std::function<void(QWidget*)>& inside)
    {
        if (name == QLatin1StringView("frmMain")) {
            inside(main);
        } else if (name == QLatin1StringView("frmDisplay")) {
            inside(openReading());
        } else if (name == QLatin1StringView("frmNagScreen2")) {
            forms().show<frmNagScreen2>();
            inside(forms().find<frmNagScreen2>());
        } else if (name == QLatin1StringView("frmAbout")) {
            bool seen = false;
            testsupport::whenModalOpens<services::frmAbout>([&](services::frmAbout* about) {
                seen = true;
                inside(about);
            });
            services::showAboutWindow();
            QVERIFY(seen);
        } else {
            QFAIL(qPrintable(QStringLiteral("no window ") + name));
        }
    }

    void addWindowColumn()
    {
        QTest::addColumn<QString>("window");
        for (const char* window : {"frmMain", "frmDisplay", "frmNagScreen2", "frmAbout"})
            QTest::newRow(window) << QString::fromLatin1(window);
    }

private slots:
    void initTestCase()
    {
        // The About window shows the program's icon, as the program sets it.
        QApplication::setWindowIcon(services::applicationIcon());
    }

    void init()
    {
        ProgramTest::init();
        // Message boxes are shown for real here: a screen reader has to find them.
        boxes.reset();
        main = startProgram();
        QVERIFY(main);
    }

    void cleanup() { ProgramTest::cleanup(); }

    void everyControlHasAName_data() { addWindowColumn(); }

    void everyControlHasAName()
    {
        QFETCH(QString, window);
        withWindow(window, [](QWidget* form) {
            const QList<Node> nodes = treeOf(form);
            QVERIFY(nodes.size() > 5);
            int named = 0;
            for (const Node& node : nodes) {
                const QString where = QStringLiteral("%1 (role %2)")
                                          .arg(node.object ? node.object->objectName() : QStringLiteral("?"))
                                          .arg(int(node.role));
                QVERIFY2(!hasMarker(node.name), qPrintable(where + QStringLiteral(" is named ") + node.name));
                if (needsName(node.role)) {
                    QVERIFY2(!node.name.trimmed().isEmpty(),
                             qPrintable(where + QStringLiteral(" has no name")));
                    ++named;
                }
            }
            QVERIFY(named >= 4);
        });
    }

    void rolesAndNames_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        const auto row = [](const char* window, const char* control, QAccessible::Role role,
                            const QString& name) {
            QTest::addRow("%s %s", window, control)
                << QString::fromLatin1(window) << QString::fromLatin1(control) << int(role) << name;
        };
        row("frmMain", "frmMain", QAccessible::Window, texts::kWindowCaption);
        row("frmMain", "txtName", QAccessible::EditableText, texts::kEnterYourName);
        row("frmMain", "cmdCalculate", QAccessible::PushButton, texts::kReadingButton);
        row("frmMain", "Picture1", QAccessible::Graphic, QStringLiteral("mala of prayer beads"));
        row("frmMain", "Frame1", QAccessible::Grouping, texts::kEnterYourName);
        row("frmMain", "Label14", QAccessible::Link, services::forumPromotionCaption());
        row("frmMain", "lblFullBrand", QAccessible::Link, services::fullBrandCaption());
        row("frmMain", "lblCobrand", QAccessible::Link,
            QStringLiteral(
                "Co-brand this software for your site.  Increase loyalty and traffic to your site. "
                "Put your site's name &  link here. See \"Help\" for details.    Click Here for more "
                "info on co-branding."));
        row("frmMain", "mnuFile", QAccessible::MenuItem, QStringLiteral("File"));
        row("frmMain", "mnuMayan", QAccessible::MenuItem, texts::kReadingButton);
        row("frmMain", "mnuExit", QAccessible::MenuItem, QStringLiteral("Exit"));
        row("frmMain", "mnuHelp", QAccessible::MenuItem, QStringLiteral("Help"));
        row("frmMain", "mnuOnline", QAccessible::MenuItem, QStringLiteral("Online Help"));
        row("frmMain", "mnuVisit", QAccessible::MenuItem, QStringLiteral("Visit Us Online"));
        row("frmMain", "mnuUpdate", QAccessible::MenuItem, QStringLiteral("Check for Software Update"));
        row("frmMain", "mnuAbout", QAccessible::MenuItem, QStringLiteral("About Software"));
        row("frmMain", "mnuDonate", QAccessible::MenuItem, QStringLiteral("Donate"));
        row("frmDisplay", "cmdBeads", QAccessible::PushButton, texts::kFirstCount);
        row("frmDisplay", "cmdBack", QAccessible::PushButton, QStringLiteral("Back"));
        row("frmDisplay", "cmdExit", QAccessible::PushButton, QStringLiteral("Exit"));
        row("frmDisplay", "picBeads0", QAccessible::Graphic, texts::kNotCounted);
        row("frmDisplay", "Label1", QAccessible::StaticText,
            QStringLiteral("Think of your question and Click on the Button"));
        row("frmDisplay", "Label14", QAccessible::Link, services::forumPromotionCaption());
        row("frmDisplay", "mnuBack", QAccessible::MenuItem, QStringLiteral("Back"));
        row("frmNagScreen2", "txtName", QAccessible::EditableText, QStringLiteral("Your Name"));
        row("frmNagScreen2", "txtEmail", QAccessible::EditableText, QStringLiteral("Your Email Address"));
        row("frmNagScreen2", "txtFriendName", QAccessible::EditableText, QStringLiteral("Friend's Name"));
        row("frmNagScreen2", "txtFriendEmail", QAccessible::EditableText,
            QStringLiteral("Friend's Email Address"));
        row("frmNagScreen2", "txtMessage", QAccessible::EditableText, texts::kMessagePlaceholder);
        row("frmNagScreen2", "cmdSubmit", QAccessible::PushButton, QStringLiteral("Refer A Friend Now"));
        row("frmNagScreen2", "cmdClose", QAccessible::PushButton, QStringLiteral("Exit"));
        row("frmNagScreen2", "Check1", QAccessible::CheckBox, referral::forumCheckCaption());
        row("frmNagScreen2", "lblGoToHome", QAccessible::Link,
            QStringLiteral("Click Here To Visit Veldrane Softwares"));
        row("frmNagScreen2", "Picture1", QAccessible::Graphic, texts::kIconName);
        row("frmNagScreen2", "Frame2", QAccessible::Grouping, QStringLiteral("Refer A Friend"));
        row("frmAbout", "frmAbout", QAccessible::Dialog, texts::kWindowCaption);
        row("frmAbout", "cmdOK", QAccessible::PushButton, QStringLiteral("OK"));
        row("frmAbout", "picIcon", QAccessible::Graphic, texts::kIconName);
        row("frmAbout", "lblHomePage", QAccessible::Link,
            QStringLiteral("Click here to visit ") +
                services::linkAddress(services::LinkTarget::ForumHomePage));
        row("frmAbout", "lblCoBrand", QAccessible::Link, texts::kMoreDetails);
    }

    void rolesAndNames()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(int, role);
        QFETCH(QString, name);
        withWindow(window, [&](QWidget* form) {
            QObject* object = form->objectName() == control ? form : form->findChild<QObject*>(control);
            QVERIFY2(object, qPrintable(control));
            QAccessibleInterface* iface = interfaceOf(object);
            QVERIFY2(iface, qPrintable(control + QStringLiteral(" is not in the tree")));
            QCOMPARE(int(iface->role()), role);
            QCOMPARE(iface->text(QAccessible::Name), name);
        });
    }

    void linkLabelsPress_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("address");
        QTest::newRow("frmMain forum") << "frmMain"
                                       << "Label14" << texts::kForumRoot;
        QTest::newRow("frmMain full brand") << "frmMain"
                                            << "lblFullBrand" << texts::kHelpRoot + "/fully-branded.html";
        QTest::newRow("frmMain co-brand") << "frmMain"
                                          << "lblCobrand" << texts::kHelpRoot + "/co-brand.html";
        QTest::newRow("frmDisplay forum") << "frmDisplay"
                                          << "Label14" << texts::kForumRoot;
        QTest::newRow("frmDisplay co-brand") << "frmDisplay"
                                             << "lblCobrand" << texts::kHelpRoot + "/co-brand.html";
        QTest::newRow("frmNagScreen2 catalogue") << "frmNagScreen2"
                                                 << "lblGoToHome" << texts::kForumRoot + "/veldranesoftwares";
        QTest::newRow("frmAbout home page") << "frmAbout"
                                            << "lblHomePage" << texts::kForumRoot;
        QTest::newRow("frmAbout co-brand") << "frmAbout"
                                           << "lblCoBrand" << texts::kHelpRoot + "/fully-branded.html";
    }

    void linkLabelsPress()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, address);
        withWindow(window, [&](QWidget* form) {
            auto* label = form->findChild<ui::LinkLabel*>(control);
            QVERIFY(label);
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(label);
            QVERIFY(iface);
            QVERIFY(iface->state().linked);
            QAccessibleActionInterface* actions = iface->actionInterface();
            QVERIFY(actions);
            QCOMPARE(actions->actionNames().value(0), QAccessibleActionInterface::pressAction());
            browser->opened.clear();
            actions->doAction(QAccessibleActionInterface::pressAction());
            // The press runs after the request returns, as a screen reader expects.
            QVERIFY(browser->opened.isEmpty());
            QTRY_COMPARE(browser->opened, QStringList{address});
            // Other actions are left to the label's plain behaviour: nothing opens.
            actions->doAction(QAccessibleActionInterface::increaseAction());
            QTest::qWait(0);
            QCOMPARE(browser->opened.size(), 1);
        });
    }

    // Tab reaches every link a window shows, after its other controls, and Enter or Space opens
    // it once; an offer covered by the other one is not reached.
    void linkLabelsByKeyboard_data()
    {
        linkLabelsPress_data();
        QTest::newRow("frmDisplay full brand, covered") << "frmDisplay"
                                                        << "lblFullBrand" << QString();
    }

    void linkLabelsByKeyboard()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, address);
        withWindow(window, [&](QWidget* form) {
            if (auto* nameEntry = qobject_cast<frmMain*>(form))
                nameEntry->bringOfferToFront(control == u"lblCobrand" ? services::Offer::CoBrand
                                                                      : services::Offer::FullBrand);
            auto* label = testsupport::child<ui::LinkLabel>(form, qPrintable(control));
            QVERIFY(label);
            form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(form));
            const QWidget* first = QApplication::focusWidget();
            QVERIFY(first && first != label);
            for (int tab = 0; tab < 20 && QApplication::focusWidget() != label; ++tab)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (address.isEmpty()) {
                QVERIFY(!label->hasFocus());
                return;
            }
            QVERIFY(label->hasFocus());
            // The frame of the focus, dotted in the text's colour along the label's edge.
            const QImage focused = label->grab().toImage();
            const QColor ink = label->palette().color(label->foregroundRole());
            int inked = 0;
            for (int y = 0; y < focused.height(); ++y)
                inked += QColor(focused.pixel(0, y)) == ink ? 1 : 0;
            QVERIFY2(inked >= focused.height() / 4, qPrintable(QString::number(inked)));
            browser->opened.clear();
            QTest::keyClick(label, Qt::Key_Return);
            QCOMPARE(browser->opened, QStringList{address});
            QTest::keyClick(label, Qt::Key_Space);
            QCOMPARE(browser->opened, (QStringList{address, address}));
            // A key held down opens it once.
            QTest::keyPress(label, Qt::Key_Enter);
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Enter, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(label, &repeat);
            QCOMPARE(browser->opened.size(), 3);
            // So is one whose repeats come unmarked, as a release and a press of one time stamp.
            for (int repeats = 0; repeats < 3; ++repeats) {
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_Enter, Qt::NoModifier, QString());
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Enter, Qt::NoModifier, QString());
                release.setTimestamp(500 + repeats);
                press.setTimestamp(500 + repeats);
                QApplication::sendEvent(label, &release);
                QApplication::sendEvent(label, &press);
            }
            QTest::keyRelease(label, Qt::Key_Enter);
            QCOMPARE(browser->opened.size(), 3);
            // Tab goes on from the link: the window keeps every control reachable.
            QTest::keyClick(label, Qt::Key_Tab);
            QVERIFY(!label->hasFocus());
        });
    }

    void beadBoxesNameTheirOmen_data()
    {
        QTest::addColumn<int>("picture");
        QTest::addColumn<QString>("name");
        QTest::newRow("falcon") << 1 << QStringLiteral("Falcon");
        QTest::newRow("raven") << 2 << QStringLiteral("Raven");
        QTest::newRow("snow lion") << 3 << QStringLiteral("Snow Lion");
        QTest::newRow("question mark") << 4 << texts::kNotCounted;
    }

    void beadBoxesNameTheirOmen()
    {
        QFETCH(int, picture);
        QFETCH(QString, name);
        frmDisplay* display = openReading();
        QVERIFY(display);
        const QStringList counts{QStringLiteral("first count"), QStringLiteral("second count"),
                                 QStringLiteral("third count")};
        // The same omen three times, or no count at all for the question mark.
        const float draws[] = {0.0f, 0.1f, 0.5f, 0.9f};
        testsupport::ScriptedRandom random{run->state.random};
        for (int count = 0; picture != int(reading::Picture::QuestionMark) && count < 3; ++count) {
            random.push(draws[picture]);
            QTest::mouseClick(testsupport::child<QPushButton>(*display, "cmdBeads"), Qt::LeftButton);
        }
        for (int box = 0; box < 3; ++box) {
            QAccessibleInterface* iface =
                QAccessible::queryAccessibleInterface(testsupport::beadBox(*display, int(box)));
            QCOMPARE(iface->role(), QAccessible::Graphic);
            QCOMPARE(iface->text(QAccessible::Name), name);
            QCOMPARE(iface->text(QAccessible::Description), counts[box]);
        }
    }

    void countingTellsTheScreenReader()
    {
        frmDisplay* display = openReading();
        QVERIFY(display);
        // 0.9 draws the Snow Lion, 0.1 the Falcon.
        testsupport::ScriptedRandom random{run->state.random, {0.9f, 0.1f}};
        QTest::mouseClick(testsupport::child<QPushButton>(*display, "cmdBeads"), Qt::LeftButton);
        QAccessibleInterface* first =
            QAccessible::queryAccessibleInterface(testsupport::beadBox(*display, 0));
        QCOMPARE(first->text(QAccessible::Name), QStringLiteral("Snow Lion"));
        QCOMPARE(
            QAccessible::queryAccessibleInterface(testsupport::beadBox(*display, 1))->text(QAccessible::Name),
            texts::kNotCounted);
        // The button says what the next click does.
        QCOMPARE(QAccessible::queryAccessibleInterface(testsupport::child<QPushButton>(*display, "cmdBeads"))
                     ->text(QAccessible::Name),
                 texts::kSecondCount);
        QTest::mouseClick(testsupport::child<QPushButton>(*display, "cmdBeads"), Qt::LeftButton);
        QCOMPARE(
            QAccessible::queryAccessibleInterface(testsupport::beadBox(*display, 1))->text(QAccessible::Name),
            QStringLiteral("Falcon"));
        // Back to the question marks when the reading is cleared.
        display->ResetReading();
        for (int box = 0; box < 3; ++box)
            QCOMPARE(QAccessible::queryAccessibleInterface(testsupport::beadBox(*display, int(box)))
                         ->text(QAccessible::Name),
                     texts::kNotCounted);
    }

    void messageBoxes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QStringList>("buttonNames");
        QTest::addColumn<QString>("iconName");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("answer");
        const auto ok = int(ui::MsgButtons::Ok);
        const auto yesNo = int(ui::MsgButtons::YesNo);
        const auto information = int(ui::MsgIcon::Information);
        const QStringList okButton{QStringLiteral("OK")};
        const QStringList yesNoButtons{QStringLiteral("Yes"), QStringLiteral("No")};
        const QString letters = texts::kOnlyLetters;
        const QString update = QStringLiteral("There maybe an update to this software available");
        QTest::newRow("information, Enter")
            << letters << ok << information << okButton << QStringLiteral("information") << Qt::Key_Return
            << int(ui::MsgAnswer::Ok);
        QTest::newRow("information, Esc")
            << letters << ok << information << okButton << QStringLiteral("information") << Qt::Key_Escape
            << int(ui::MsgAnswer::Ok);
        QTest::newRow("error, Enter") << texts::kNoSpace << ok << int(ui::MsgIcon::Error) << okButton
                                      << QStringLiteral("error") << Qt::Key_Return << int(ui::MsgAnswer::Ok);
        QTest::newRow("question, Y") << update << yesNo << information << yesNoButtons
                                     << QStringLiteral("information") << Qt::Key_Y << int(ui::MsgAnswer::Yes);
        QTest::newRow("question, N") << update << yesNo << information << yesNoButtons
                                     << QStringLiteral("information") << Qt::Key_N << int(ui::MsgAnswer::No);
        QTest::newRow("question, Enter")
            << update << yesNo << information << yesNoButtons << QStringLiteral("information")
            << Qt::Key_Return << int(ui::MsgAnswer::Yes);
        QTest::newRow("question, Esc")
            << update << yesNo << information << yesNoButtons << QStringLiteral("information")
            << Qt::Key_Escape << int(ui::MsgAnswer::No);
    }

    void messageBoxes()
    {
        QFETCH(QString, text);
        QFETCH(int, buttons);
        QFETCH(int, icon);
        QFETCH(QStringList, buttonNames);
        QFETCH(QString, iconName);
        QFETCH(Qt::Key, key);
        QFETCH(int, answer);
        QList<Node> nodes;
        QString title;
        QAccessible::Role role = QAccessible::NoRole;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                // Close whatever opened, so that the failure shows instead of a hang.
                for (QWidget* window : QApplication::topLevelWidgets()) {
                    if (auto* other = qobject_cast<QDialog*>(window); other && other->isVisible())
                        other->reject();
                }
                return;
            }
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(box);
            title = iface->text(QAccessible::Name);
            role = iface->role();
            nodes = treeOf(box);
            if (!QTest::qWaitForWindowActive(box))
                qWarning("the message box did not become active");
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : box, key);
        });
        QCOMPARE(int(services::MsgBox(text, ui::MsgButtons(buttons), ui::MsgIcon(icon))), answer);
        QCOMPARE(title, texts::kAppTitle);
        QVERIFY2(role == QAccessible::Dialog || role == QAccessible::AlertMessage,
                 qPrintable(QString::number(role)));
        QStringList shownButtons;
        bool textRead = false;
        bool iconNamed = false;
        for (const Node& node : nodes) {
            QVERIFY(!hasMarker(node.name));
            if (node.role == QAccessible::PushButton)
                shownButtons << node.name;
            if (node.role == QAccessible::StaticText && node.name == text)
                textRead = true;
            iconNamed = iconNamed || node.name == iconName;
        }
        QVERIFY2(textRead, "the message itself is not in the box's tree");
        QVERIFY2(iconNamed, "the box's picture does not say what kind of message it is");
        QCOMPARE(shownButtons, buttonNames);
    }

    // A message box opens in front: over the window it belongs to, or, with none of ours to open
    // over (a refused second start), above every window kept on top.
    void messageBoxesOpenInFront_data()
    {
        QTest::addColumn<QString>("over");
        QTest::newRow("no window of ours") << "";
        QTest::newRow("the name-entry window") << "frmMain";
        QTest::newRow("the refer-a-friend window, kept on top") << "frmNagScreen2";
    }

    void messageBoxesOpenInFront()
    {
        QFETCH(QString, over);
        QWidget* owner = nullptr;
        if (over.isEmpty()) {
            main->hide();
            QTRY_VERIFY(!QApplication::activeWindow());
        } else {
            if (over == u"frmNagScreen2")
                forms().show<frmNagScreen2>();
            owner = over == u"frmMain" ? static_cast<QWidget*>(main) : forms().find<frmNagScreen2>();
            QVERIFY(QTest::qWaitForWindowActive(owner));
        }
        QPointer<QWidget> parent;
        QWindow* transientParent = nullptr;
        bool onTop = false;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box)
                return;
            parent = box->parentWidget();
            transientParent = box->windowHandle()->transientParent();
            onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            QTest::keyClick(box, Qt::Key_Return);
        });
        services::MsgBox(QStringLiteral("Application is already running"), ui::MsgButtons::Ok,
                         ui::MsgIcon::Information);
        QCOMPARE(parent.data(), owner);
        QCOMPARE(transientParent, owner ? owner->windowHandle() : nullptr);
        QCOMPARE(onTop, owner == nullptr);
    }

    // An address the program could not open stands in the box whole, for the user to select and
    // copy by keyboard; a long one keeps the box on the screen.
    void addressInAMessageCanBeCopied_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("page") << QStringLiteral("http://help.example/tolvy-free-sarnavel-help.html");
        QTest::newRow("long referral")
            << QStringLiteral("http://forum.example/zenk-refer-a-friend.php?taf1=") + QString(20000, u'm');
    }

    void addressInAMessageCanBeCopied()
    {
        QFETCH(QString, address);
        QString shown;
        QString copied;
        QString focusName;
        bool readOnly = false;
        bool onScreen = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            if (!QTest::qWaitForWindowActive(box))
                qWarning("the message box did not become active");
            onScreen = box->screen()->availableGeometry().contains(box->frameGeometry());
            if (auto* field = box->findChild<QLineEdit*>(QStringLiteral("address"))) {
                shown = field->text();
                readOnly = field->isReadOnly();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                focusName = QAccessible::queryAccessibleInterface(QApplication::focusWidget())
                                ->text(QAccessible::Name);
                QGuiApplication::clipboard()->clear();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
                copied = QGuiApplication::clipboard()->text();
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            if (box->isVisible())
                box->reject();
        });
        QCOMPARE(int(services::MsgBox(QStringLiteral("No browser"), ui::MsgButtons::Ok, ui::MsgIcon::Error,
                                      address)),
                 int(ui::MsgAnswer::Ok));
        QCOMPARE(shown, address);
        QVERIFY(readOnly);
        QCOMPARE(focusName, QStringLiteral("address"));
        QCOMPARE(copied, address);
        QVERIFY(onScreen);
    }

    // A screen reader tells which window it is in; the captions all read the same.
    void windowsDescribeThemselves()
    {
        QSet<QString> descriptions;
        for (const char* window : {"frmMain", "frmDisplay", "frmNagScreen2", "frmAbout"}) {
            withWindow(QString::fromLatin1(window), [&](QWidget* form) {
                const QString description =
                    QAccessible::queryAccessibleInterface(form)->text(QAccessible::Description);
                QVERIFY2(!description.isEmpty(), window);
                descriptions << description;
            });
        }
        QCOMPARE(descriptions.size(), 4);
    }

    void hiddenMenuItemStaysHidden()
    {
        const QList<Node> nodes = treeOf(main);
        for (const Node& node : nodes) {
            if (node.name == QLatin1StringView("Make Money Online"))
                QVERIFY(node.invisible);
        }
        QAccessibleInterface* iface = interfaceOf(testsupport::child<QAction>(*main, "mnuMakeMoney"));
        QVERIFY(iface);
        QVERIFY(iface->state().invisible);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
