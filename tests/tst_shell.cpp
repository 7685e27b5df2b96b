// Menus, link labels and the About window of the two working windows: each opens exactly its
// page, once per click, or does exactly what its button does.
#include "reading/frmDisplay.h"
#include "reading/frmMain.h"
#include "referral/frmNagScreen2.h"
#include "services/dateformat.h"
#include "services/frmAbout.h"
#include "services/links.h"
#include "services/menus.h"
#include "services/settings.h"
#include "services/updatereminder.h"
#include "support/testsupport.h"
#include "support/texts.h"
#include "ui/controls.h"
#include "ui/forms.h"
#include "ui/linklabel.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>

namespace texts = testsupport::texts;

using reading::frmDisplay;
using reading::frmMain;
using services::LinkTarget;

namespace {

QStringList menuEntries(QMenu* menu)
{
    QStringList entries;
    for (QAction* action : menu->actions())
        entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return entries;
}

} // namespace

class ShellTest : public testsupport::ProgramTest {
    Q_OBJECT

    QStringList& opened() { return browser->opened; }
    frmMain* main = nullptr;

    ui::Form* window(bool reading) { return reading ? static_cast<ui::Form*>(openReading()) : main; }

private slots:
    void init()
    {
        ProgramTest::init();
        main = startProgram();
        QVERIFY(main);
    }

    void cleanup()
    {
        QCOMPARE(run->ends, 0);
        ProgramTest::cleanup();
    }

    void fixedAddresses_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("address");
        QTest::newRow("forum home, no trailing slash") << int(LinkTarget::ForumHomePage) << texts::kForumRoot;
        QTest::newRow("catalogue") << int(LinkTarget::SoftwareCatalogPage)
                                   << texts::kForumRoot + QStringLiteral("/veldranesoftwares");
        QTest::newRow("donate") << int(LinkTarget::DonatePage)
                                << texts::kHelpRoot + QStringLiteral("/donate.html");
        QTest::newRow("fully branded")
            << int(LinkTarget::FullyBrandedPage) << texts::kHelpRoot + QStringLiteral("/fully-branded.html");
        QTest::newRow("co-brand") << int(LinkTarget::CoBrandPage)
                                  << texts::kHelpRoot + QStringLiteral("/co-brand.html");
        QTest::newRow("online help") << int(LinkTarget::OnlineHelpPage)
                                     << texts::kProductRoot +
                                            QStringLiteral("/tolvy-free-sarnavel-help.html");
        QTest::newRow("download") << int(LinkTarget::ProductDownloadPage)
                                  << texts::kProductRoot +
                                         QStringLiteral("/download-tolvy-free-sarnavel.html");
        QTest::newRow("referral endpoint") << int(LinkTarget::ReferralEndpoint)
                                           << texts::kForumRoot + QStringLiteral("/zenk-refer-a-friend.php");
    }

    void fixedAddresses()
    {
        QFETCH(int, target);
        QFETCH(QString, address);
        QCOMPARE(services::linkAddress(LinkTarget(target)), address);
        services::OpenLink(LinkTarget(target));
        services::OpenLink(LinkTarget(target));
        // No de-duplication: two requests, two launches.
        QCOMPARE(opened(), (QStringList{address, address}));
    }

    void menuItemsOpenTheirPage_data()
    {
        QTest::addColumn<bool>("reading");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("address");
        for (bool reading : {false, true}) {
            const char* w = reading ? "frmDisplay" : "frmMain";
            QTest::addRow("%s online help", w)
                << reading << QStringLiteral("mnuOnline")
                << texts::kProductRoot + QStringLiteral("/tolvy-free-sarnavel-help.html");
            QTest::addRow("%s visit", w) << reading << QStringLiteral("mnuVisit") << texts::kForumRoot;
            QTest::addRow("%s update", w)
                << reading << QStringLiteral("mnuUpdate")
                << texts::kProductRoot + QStringLiteral("/download-tolvy-free-sarnavel.html");
            QTest::addRow("%s donate", w) << reading << QStringLiteral("mnuDonate")
                                          << texts::kHelpRoot + QStringLiteral("/donate.html");
            QTest::addRow("%s make money", w) << reading << QStringLiteral("mnuMakeMoney")
                                              << texts::kHelpRoot + QStringLiteral("/fully-branded.html");
        }
    }

    void menuItemsOpenTheirPage()
    {
        QFETCH(bool, reading);
        QFETCH(QString, item);
        QFETCH(QString, address);
        ui::Form* form = window(reading);
        auto* action = form->findChild<QAction*>(item);
        QVERIFY(action);
        action->trigger();
        QCOMPARE(opened(), QStringList{address});
        QVERIFY(form->isVisible());
        QVERIFY(form->isEnabled());
    }

    void linkLabelsOpenOncePerClick_data()
    {
        QTest::addColumn<bool>("reading");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("address");
        QTest::newRow("frmMain forum") << false << QStringLiteral("Label14") << texts::kForumRoot;
        QTest::newRow("frmDisplay forum") << true << QStringLiteral("Label14") << texts::kForumRoot;
        QTest::newRow("frmDisplay co-brand in front")
            << true << QStringLiteral("lblCobrand") << texts::kHelpRoot + QStringLiteral("/co-brand.html");
    }

    void linkLabelsOpenOncePerClick()
    {
        QFETCH(bool, reading);
        QFETCH(QString, label);
        QFETCH(QString, address);
        ui::Form* form = window(reading);
        auto* link = form->findChild<ui::LinkLabel*>(label);
        QVERIFY(link);
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(opened(), QStringList{address});
        // A double click is a click and then a second press that arrives as a double click.
        opened().clear();
        QTest::mouseClick(link, Qt::LeftButton);
        QTest::mouseDClick(link, Qt::LeftButton);
        QCOMPARE(opened(), QStringList{address});
        // Later than the double-click interval, the next click is a click of its own.
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(), QApplication::doubleClickInterval() + 100);
        QCOMPARE(opened(), (QStringList{address, address}));
        // A press that is dragged off the label before release opens nothing.
        QTest::mousePress(link, Qt::LeftButton);
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
        QCOMPARE(opened().size(), 2);
    }

    void offerInFrontOfTheNameWindowOpensItsOwnPage_data()
    {
        QTest::addColumn<bool>("coBrandInFront");
        QTest::newRow("fully branded in front") << false;
        QTest::newRow("co-brand in front") << true;
    }

    void offerInFrontOfTheNameWindowOpensItsOwnPage()
    {
        QFETCH(bool, coBrandInFront);
        (coBrandInFront ? testsupport::child<ui::LinkLabel>(*main, "lblCobrand")
                        : testsupport::child<ui::LinkLabel>(*main, "lblFullBrand"))
            ->raise();
        const QPoint centre = testsupport::child<ui::LinkLabel>(*main, "lblFullBrand")->geometry().center();
        QWidget* hit = testsupport::child<QGroupBox>(*main, "fraFullBrand")->childAt(centre);
        QCOMPARE(hit, coBrandInFront
                          ? static_cast<QWidget*>(testsupport::child<ui::LinkLabel>(*main, "lblCobrand"))
                          : testsupport::child<ui::LinkLabel>(*main, "lblFullBrand"));
        QTest::mouseClick(hit, Qt::LeftButton);
        QCOMPARE(opened(),
                 QStringList{texts::kHelpRoot + (coBrandInFront ? QStringLiteral("/co-brand.html")
                                                                : QStringLiteral("/fully-branded.html"))});
    }

    void menuBarsAreExact_data()
    {
        QTest::addColumn<bool>("reading");
        QTest::addColumn<QStringList>("file");
        QTest::newRow("frmMain") << false
                                 << QStringList{QStringLiteral("Get My &Sarnavel Reading"),
                                                QStringLiteral("-"), QStringLiteral("E&xit")};
        QTest::newRow("frmDisplay") << true
                                    << QStringList{QStringLiteral("&Back"), QStringLiteral("-"),
                                                   QStringLiteral("E&xit")};
    }

    void menuBarsAreExact()
    {
        QFETCH(bool, reading);
        QFETCH(QStringList, file);
        ui::Form* form = window(reading);
        QStringList bar;
        for (QAction* action : form->menuBar()->actions())
            bar << action->text();
        QCOMPARE(bar, (QStringList{QStringLiteral("&File"), QStringLiteral("&Help"),
                                   QStringLiteral("&Donate"), QStringLiteral("Make Money &Online")}));
        QCOMPARE(menuEntries(form->menuBar()->actions().at(0)->menu()), file);
        QCOMPARE(menuEntries(form->menuBar()->actions().at(1)->menu()),
                 (QStringList{QStringLiteral("&Online Help"), QStringLiteral("&Visit Us Online"),
                              QStringLiteral("-"), QStringLiteral("Check for Software &Update"),
                              QStringLiteral("-"), QStringLiteral("&About Software")}));
        // Donate acts at once; Make Money is switched off (hidden) for good.
        QVERIFY(!form->menuBar()->actions().at(2)->menu());
        QVERIFY(!form->menuBar()->actions().at(3)->isVisible());
    }

    void captionsAreExact()
    {
        frmDisplay* display = openReading();
        for (ui::Form* form : {static_cast<ui::Form*>(main), static_cast<ui::Form*>(display)}) {
            QCOMPARE(form->windowTitle(), texts::kWindowCaption);
            QCOMPARE(form->findChild<ui::LinkLabel*>(QStringLiteral("Label14"))->text(),
                     QStringLiteral("The Most Popular Online Veldrane Discussion Forum. Click Here To "
                                    "Visit " TOLVY_TEST_FORUM_HOST " Now."));
            QCOMPARE(form->findChild<ui::LinkLabel*>(QStringLiteral("lblCobrand"))->text(),
                     QStringLiteral(
                         "Co-brand this software for your site.  Increase loyalty and traffic to your site. "
                         "Put your site's name &  link here. See \"Help\" for details.    Click Here for "
                         "more info on co-branding."));
            QCOMPARE(form->findChild<ui::LinkLabel*>(QStringLiteral("lblFullBrand"))->text(),
                     QStringLiteral(
                         "Home Business Opportunity. Start your own Internet business and make money "
                         "online. Get this software fully branded for your website. Click here for more "
                         "details."));
        }
    }

    void windowsUseVerdanaOrItsStandIn()
    {
        const QString face = ui::windowFont(8.25).family();
        QCOMPARE(face, QFontDatabase::hasFamily(QStringLiteral("Verdana")) ? QStringLiteral("Verdana")
                                                                           : QStringLiteral("DejaVu Sans"));
        QCOMPARE(testsupport::child<ui::MultiLineTextBox>(*main, "txtName")->font().family(), face);
        QCOMPARE(testsupport::child<QPushButton>(*main, "cmdCalculate")->font().family(), face);
        QVERIFY(testsupport::child<QPushButton>(*main, "cmdCalculate")->font().bold());
    }

    void buttonMenuItemsRunTheButtons()
    {
        frmDisplay* display = openReading();
        testsupport::child<QAction>(*display, "mnuExit")->trigger();
        testsupport::settle();
        QVERIFY(forms().find<frmDisplay>() == nullptr);
        QCOMPARE(testsupport::visibleWindows(), QStringList{QStringLiteral("frmNagScreen2")});
    }

    void aboutShowsItsContentAndClosesEveryWay_data()
    {
        QTest::addColumn<bool>("reading");
        QTest::addColumn<int>("how"); // 0 OK click, 1 Enter, 2 Esc, 3 close box
        for (bool reading : {false, true}) {
            const char* w = reading ? "frmDisplay" : "frmMain";
            QTest::addRow("%s ok", w) << reading << 0;
            QTest::addRow("%s enter", w) << reading << 1;
            QTest::addRow("%s esc", w) << reading << 2;
            QTest::addRow("%s close box", w) << reading << 3;
        }
    }

    void aboutShowsItsContentAndClosesEveryWay()
    {
        QFETCH(bool, reading);
        QFETCH(int, how);
        ui::Form* form = window(reading);
        testsupport::ScriptedRandom script{run->state.random, {0.0f}};
        if (reading) {
            QTest::mouseClick(testsupport::child<QPushButton>(form, "cmdBeads"), Qt::LeftButton);
        }
        bool checked = false;
        testsupport::whenModalOpens<services::frmAbout>([&](services::frmAbout* about) {
            checked = true;
            QCOMPARE(about->windowTitle(), texts::kWindowCaption);
            QVERIFY(about->isModal());
            QCOMPARE(testsupport::child<QLabel>(*about, "Label2")->text(), texts::kWindowCaption);
            QVERIFY(testsupport::child<QLabel>(*about, "Label1")
                        ->text()
                        .contains(QStringLiteral("and is is used for meditation")));
            QCOMPARE(testsupport::child<ui::LinkLabel>(*about, "lblHomePage")->text(),
                     QStringLiteral("Click here to visit http://" TOLVY_TEST_FORUM_HOST));
            QCOMPARE(testsupport::child<ui::LinkLabel>(*about, "lblCoBrand")->text(), texts::kMoreDetails);
            QCOMPARE(QApplication::focusWidget(), testsupport::child<QPushButton>(*about, "cmdOK"));
            QVERIFY(form->isVisible());
            QCOMPARE(about->size(), QSize(472, 267));
            // The calling window takes no input while the About window is up.
            QVERIFY(QApplication::activeModalWidget() == about);
            switch (how) {
            case 0:
                QTest::mouseClick(testsupport::child<QPushButton>(*about, "cmdOK"), Qt::LeftButton);
                break;
            case 1:
                QTest::keyClick(about, Qt::Key_Return);
                break;
            case 2:
                QTest::keyClick(about, Qt::Key_Escape);
                break;
            default:
                about->close();
                break;
            }
        });
        form->findChild<QAction*>(QStringLiteral("mnuAbout"))->trigger();
        QVERIFY(checked);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(QApplication::topLevelWidgets().count() > 0);
        QVERIFY(form->isVisible());
        QVERIFY(opened().isEmpty());
        testsupport::settle();
        QVERIFY(form->findChildren<services::frmAbout*>().isEmpty());
        if (reading) {
            auto* display = static_cast<frmDisplay*>(form);
            QCOMPARE(testsupport::child<QPushButton>(*display, "cmdBeads")->text(), texts::kSecondCount);
            QCOMPARE(testsupport::pictureShown(*display, 0), reading::Picture::Falcon);
        }
    }

    void aboutLinksKeepItOpen()
    {
        QStringList seenWhileOpen;
        testsupport::whenModalOpens<services::frmAbout>([&](services::frmAbout* about) {
            QTest::mouseClick(testsupport::child<ui::LinkLabel>(*about, "lblHomePage"), Qt::LeftButton);
            QTest::mouseClick(testsupport::child<ui::LinkLabel>(*about, "lblCoBrand"), Qt::LeftButton);
            seenWhileOpen = opened();
            QVERIFY(about->isVisible());
            QVERIFY(QApplication::activeModalWidget() == about);
            QTest::keyClick(about, Qt::Key_Escape);
        });
        main->findChild<QAction*>(QStringLiteral("mnuAbout"))->trigger();
        QCOMPARE(seenWhileOpen,
                 (QStringList{texts::kForumRoot, texts::kHelpRoot + QStringLiteral("/fully-branded.html")}));
    }

    // When no browser can be started at all, the user is told and gets the address to copy;
    // nothing else changes, and what the user typed stays.
    void failedLaunchShowsTheAddress_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("address");
        QTest::newRow("name window, forum link") << "Label14" << texts::kForumRoot;
        QTest::newRow("name window, Online Help")
            << "mnuOnline" << texts::kProductRoot + QStringLiteral("/tolvy-free-sarnavel-help.html");
        QTest::newRow("reading window, Check for Software Update")
            << "reading mnuUpdate"
            << texts::kProductRoot + QStringLiteral("/download-tolvy-free-sarnavel.html");
        QTest::newRow("refer-a-friend window, forum check box") << "Check1" << texts::kForumRoot;
        QTest::newRow("refer-a-friend window, catalogue link")
            << "lblGoToHome" << texts::kForumRoot + QStringLiteral("/veldranesoftwares");
        QTest::newRow("refer-a-friend window, referral")
            << "cmdSubmit"
            << texts::kForumRoot +
                   QStringLiteral("/zenk-refer-a-friend.php?taf1=Anna&taf2=anna@b.c&taf3=Hello&taf4=Bo"
                                  "&taf5=bo@e.f&taf6=") +
                   texts::kProductRoot + u'/';
        QTest::newRow("update question, Yes")
            << "update Yes" << texts::kProductRoot + QStringLiteral("/download-tolvy-free-sarnavel.html");
    }

    // Under Wine the real launch goes through the shell to a stand-in for the desktop's opener,
    // which records the address it is given (tests/wine/qtests.sh sets it up).
    void realLaunchReachesTheOpener_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("address");
#ifndef Q_OS_WIN
        QSKIP("The shell's launch is Windows's; the end-to-end run proves the desktop's opener here");
#else
        if (qEnvironmentVariableIsEmpty("TOLVY_WINE_BROWSER_LOG"))
            QSKIP("Needs the stand-in opener of the Wine run (TOLVY_WINE_BROWSER_LOG)");
        // Wine's launcher gives a bare host the "/" of its empty path.
        QTest::newRow("forum home page") << "Label14" << texts::kForumRoot + u'/';
        QTest::newRow("donation page") << "mnuDonate" << texts::kHelpRoot + QStringLiteral("/donate.html");
#endif
    }
    void realLaunchReachesTheOpener()
    {
        QFETCH(QString, control);
        QFETCH(QString, address);
        browser.reset();
        // The stand-in runs outside Wine and names its record with a Unix path: drive Z: here.
        QString log = qEnvironmentVariable("TOLVY_WINE_BROWSER_LOG");
        if (log.startsWith(u'/'))
            log.prepend(QStringLiteral("Z:"));
        QFile::remove(log);
        if (control.startsWith(u"mnu"))
            main->findChild<QAction*>(control)->trigger();
        else
            QTest::mouseClick(testsupport::child<ui::LinkLabel>(*main, qPrintable(control)), Qt::LeftButton);
        const auto recorded = [&log] {
            QFile file(log);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(recorded(), address + u'\n', 20000);
        QCOMPARE(boxes->count(), 0);
    }

    void failedLaunchShowsTheAddress()
    {
        QFETCH(QString, action);
        QFETCH(QString, address);
        browser->succeeds = false;
        boxes->clear();
        ui::Form* form = action.startsWith(u"reading") ? window(true) : main;
        if (action == u"Check1" || action == u"lblGoToHome" || action == u"cmdSubmit") {
            forms().show<referral::frmNagScreen2>();
            form = forms().find<referral::frmNagScreen2>();
            testsupport::child<QLineEdit>(form, "txtName")->setText(QStringLiteral("Anna"));
            testsupport::child<QLineEdit>(form, "txtEmail")->setText(QStringLiteral("anna@b.c"));
            testsupport::child<QLineEdit>(form, "txtFriendName")->setText(QStringLiteral("Bo"));
            testsupport::child<QLineEdit>(form, "txtFriendEmail")->setText(QStringLiteral("bo@e.f"));
            qobject_cast<referral::frmNagScreen2*>(form)->setMessageText(QStringLiteral("Hello"));
        }
        const QStringList windows = testsupport::visibleWindows();
        if (action == u"update Yes") {
            QVERIFY(services::saveReminderDateText(
                services::StoredDateFormat(QLocale()).write(QDate::currentDate().addDays(-30))));
            boxes->queueAnswer(ui::MsgAnswer::Yes);
            services::RunUpdateReminder();
            QCOMPARE(boxes->count(), 2);
            boxes->shown.erase(boxes->shown.begin());
            // Asked and answered: the next question waits its fifteen days as after any answer.
            QCOMPARE(services::StoredDateFormat(QLocale()).read(services::reminderDateText()),
                     QDate::currentDate());
        } else if (action.endsWith(u"mnuOnline") || action.endsWith(u"mnuUpdate")) {
            form->findChild<QAction*>(action.section(u' ', -1))->trigger();
        } else if (action == u"Check1") {
            QTest::mouseClick(testsupport::child<QCheckBox>(form, "Check1"), Qt::LeftButton, {},
                              QPoint(8, 10));
        } else if (action == u"cmdSubmit") {
            QTest::mouseClick(testsupport::child<QPushButton>(form, "cmdSubmit"), Qt::LeftButton);
        } else {
            QTest::mouseClick(testsupport::child<ui::LinkLabel>(form, qPrintable(action)), Qt::LeftButton);
        }
        QCOMPARE(opened(), QStringList{address});
        QCOMPARE(boxes->count(), 1);
        const ui::testing::MessageRequest& message = boxes->shown.front();
        QCOMPARE(message.address, address);
        QCOMPARE(message.text, QStringLiteral("Tolvy Sarnavel could not start a web browser to open this "
                                              "page.\rYou can copy its address and open it in your browser "
                                              "yourself:"));
        QCOMPARE(int(message.icon), int(ui::MsgIcon::Error));
        QCOMPARE(int(message.buttons), int(ui::MsgButtons::Ok));
        QCOMPARE(testsupport::visibleWindows(), windows);
        if (action == u"cmdSubmit" || action == u"Check1") {
            QCOMPARE(testsupport::child<QLineEdit>(form, "txtName")->text(), QStringLiteral("Anna"));
            QCOMPARE(testsupport::child<QLineEdit>(form, "txtFriendEmail")->text(), QStringLiteral("bo@e.f"));
            QVERIFY(!testsupport::child<QCheckBox>(form, "Check1")->isChecked());
        }
    }

    void noBrowserAtAllShowsTheAddress()
    {
#ifdef Q_OS_WIN
        QSKIP("The shell finds the browser through the registry's file associations, not PATH");
#endif
        // The real launcher with no browser launcher on the path: the user gets the address.
        browser.reset();
        boxes->clear();
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        QTest::mouseClick(testsupport::child<ui::LinkLabel>(*main, "Label14"), Qt::LeftButton);
        qputenv("PATH", path);
        QCOMPARE(boxes->count(), 1);
        QCOMPARE(boxes->shown.front().address, texts::kForumRoot);
        QCOMPARE(testsupport::visibleWindows(), QStringList{QStringLiteral("frmMain")});
    }
};

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
