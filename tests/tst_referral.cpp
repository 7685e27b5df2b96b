// The referral request: the checks of the submit step and of SendReferral with their messages,
// and the address handed to the browser, read back the way a web server reads its query.
#include "platform/browser.h"
#include "referral/frmNagScreen2.h"
#include "referral/modTellAFriend.h"
#include "services/links.h"
#include "support/testsupport.h"
#include "support/texts.h"
#include "ui/controls.h"
#include "ui/forms.h"

#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QUrlQuery>

#include <memory>

namespace texts = testsupport::texts;

using referral::frmNagScreen2;
namespace taf = referral::modTellAFriend;
using namespace Qt::StringLiterals;

namespace {

using Pairs = QList<std::pair<QString, QString>>;

const QString kProper = QStringLiteral("Please Enter Proper Email Address");
const QString kDistinct = QStringLiteral("Please Enter Distinct Email Addresses");

} // namespace

class ReferralTest : public testsupport::ProgramTest {
    Q_OBJECT

    frmNagScreen2& open()
    {
        forms().show<frmNagScreen2>();
        return *forms().find<frmNagScreen2>();
    }

    // Fills the form as the user leaves it: the texts stand in the boxes, the focus elsewhere.
    void fill(frmNagScreen2& form, const QString& name, const QString& email, const QString& friendName,
              const QString& friendEmail)
    {
        testsupport::child<QLineEdit>(form, "txtName")->setText(name);
        testsupport::child<QLineEdit>(form, "txtEmail")->setText(email);
        testsupport::child<QLineEdit>(form, "txtFriendName")->setText(friendName);
        testsupport::child<QLineEdit>(form, "txtFriendEmail")->setText(friendEmail);
    }

    void submit(frmNagScreen2& form)
    {
        QTest::mouseClick(testsupport::child<QPushButton>(form, "cmdSubmit"), Qt::LeftButton);
    }

    static Pairs queryOf(const QString& address)
    {
        const QUrl url = QUrl::fromEncoded(address.toUtf8(), QUrl::StrictMode);
        return QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    }

    static Pairs expectedQuery(const QString& name, const QString& email, const QString& message,
                               const QString& friendName, const QString& friendEmail)
    {
        return {{QStringLiteral("taf1"), name},
                {QStringLiteral("taf2"), email},
                {QStringLiteral("taf3"), message},
                {QStringLiteral("taf4"), friendName},
                {QStringLiteral("taf5"), friendEmail},
                {QStringLiteral("taf6"), QStringLiteral("http://") + services::ProductHost() + u'/'}};
    }

private slots:
    void emailChecks_data()
    {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("friendEmail");
        QTest::addColumn<QString>("message"); // empty: the referral goes out

        QTest::newRow("both placeholders") << "Your Email Address"
                                           << "Friend's Email Address" << kProper;
        QTest::newRow("same address") << "a@b.c"
                                      << "a@b.c" << kDistinct;
        QTest::newRow("same malformed text") << "abc"
                                             << "abc" << kDistinct;
        QTest::newRow("same after trimming") << "  a@b.c "
                                             << "a@b.c" << kDistinct;
        QTest::newRow("differ in letter case") << "A@b.c"
                                               << "a@b.c" << QString();
        QTest::newRow("friend's still a placeholder") << "a@b.c"
                                                      << "Friend's Email Address" << kProper;
        QTest::newRow("own still a placeholder") << "Your Email Address"
                                                 << "d@e.f" << kProper;
        QTest::newRow("no @ in own") << "ab.c"
                                     << "d@e.f" << kProper;
        QTest::newRow("no @ in friend's") << "a@b.c"
                                          << "de.f" << kProper;
        QTest::newRow("no dot in own") << "a@bc"
                                       << "d@e.f" << kProper;
        QTest::newRow("no dot in friend's") << "a@b.c"
                                            << "d@ef" << kProper;
        QTest::newRow("dot only before @") << "a.b@c"
                                           << "d@e.f" << QString();
        QTest::newRow("@ and dot anywhere") << "@."
                                            << ".@" << QString();
    }

    void emailChecks()
    {
        QFETCH(QString, email);
        QFETCH(QString, friendEmail);
        QFETCH(QString, message);

        frmNagScreen2& form = open();
        fill(form, QStringLiteral("Anna"), email, QStringLiteral("Bo"), friendEmail);
        submit(form);
        if (message.isEmpty()) {
            QCOMPARE(boxes->count(), 0);
            QCOMPARE(browser->opened.size(), 1);
        } else {
            QCOMPARE(boxes->texts(), QStringList{message});
            QCOMPARE(boxes->shown.front().icon, ui::MsgIcon::Error);
            QCOMPARE(boxes->shown.front().buttons, ui::MsgButtons::Ok);
            QCOMPARE(browser->opened.size(), 0);
        }
        // The boxes keep what the user typed; the fields hold it trimmed.
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtEmail")->text(), email);
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtFriendEmail")->text(), friendEmail);
        QCOMPARE(run->state.referral.strYourEmail, email.trimmed());
        QCOMPARE(run->state.referral.strFriendEmail, friendEmail.trimmed());
    }

    // Reached only directly: from the window a box left empty gets its placeholder back.
    void emptyAddressesAreNotDistinct()
    {
        taf::SubmitReferral({}, run->state.referral);
        QCOMPARE(boxes->texts(), QStringList{kDistinct});
        QCOMPARE(browser->opened.size(), 0);
    }

    void fieldChecks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("friendName");
        QTest::addColumn<QString>("shown");

        QTest::newRow("name placeholder") << "Your Name"
                                          << "Hi"
                                          << "Bo"
                                          << "Please Enter Your Name";
        QTest::newRow("name of spaces") << "   "
                                        << "Hi"
                                        << "Bo"
                                        << "Please Enter Your Name";
        QTest::newRow("name placeholder in spaces") << " Your Name "
                                                    << "Hi"
                                                    << "Bo"
                                                    << "Please Enter Your Name";
        QTest::newRow("message placeholder") << "Anna"
                                             << "Your Message"
                                             << "Bo"
                                             << "Please Enter Your Message";
        QTest::newRow("message empty") << "Anna"
                                       << ""
                                       << "Bo"
                                       << "Please Enter Your Message";
        QTest::newRow("friend's name placeholder") << "Anna"
                                                   << "Hi"
                                                   << "Friend's Name"
                                                   << "Please Enter Your Friend's Name";
        QTest::newRow("friend's name empty") << "Anna"
                                             << "Hi"
                                             << ""
                                             << "Please Enter Your Friend's Name";
        QTest::newRow("first failure only") << "Your Name"
                                            << ""
                                            << ""
                                            << "Please Enter Your Name";
        QTest::newRow("message before friend") << "Anna"
                                               << " "
                                               << "Friend's Name"
                                               << "Please Enter Your Message";
        QTest::newRow("other case passes") << "your name"
                                           << "your message"
                                           << "friend's name"
                                           << "";
    }

    void fieldChecks()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        QFETCH(QString, friendName);
        QFETCH(QString, shown);

        frmNagScreen2& form = open();
        fill(form, name, QStringLiteral("a@b.c"), friendName, QStringLiteral("d@e.f"));
        form.setMessageText(message);
        submit(form);
        QCOMPARE(boxes->texts(), shown.isEmpty() ? QStringList{} : QStringList{shown});
        QCOMPARE(browser->opened.size(), shown.isEmpty() ? 1 : 0);
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtName")->text(), name);
        QCOMPARE(form.messageText(), message);
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtFriendName")->text(), friendName);
    }

    // The two e-mail tests of SendReferral, which the submit step never lets fail.
    void sendReferralChecks_data()
    {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("friendEmail");
        QTest::addColumn<QString>("shown");

        QTest::newRow("own empty") << ""
                                   << "d@e.f"
                                   << "Please Enter Your Email";
        QTest::newRow("own placeholder") << "Your Email Address"
                                         << "d@e.f"
                                         << "Please Enter Your Email";
        QTest::newRow("friend's empty") << "a@b.c"
                                        << ""
                                        << "Please Enter Your Friend's Email";
        QTest::newRow("friend's placeholder") << "a@b.c"
                                              << "Friend's Email Address"
                                              << "Please Enter Your Friend's Email";
        QTest::newRow("both fail") << " "
                                   << ""
                                   << "Please Enter Your Email";
    }

    void sendReferralChecks()
    {
        QFETCH(QString, email);
        QFETCH(QString, friendEmail);
        QFETCH(QString, shown);

        run->state.referral.strReferralAddress = QStringLiteral("before");
        taf::SendReferral(
            {QStringLiteral("Anna"), email, QStringLiteral("Hi"), QStringLiteral("Bo"), friendEmail},
            run->state.referral);
        QCOMPARE(boxes->texts(), QStringList{shown});
        QCOMPARE(boxes->shown.front().icon, ui::MsgIcon::Error);
        QCOMPARE(browser->opened.size(), 0);
        QCOMPARE(run->state.referral.strReferralAddress, QStringLiteral("before"));
    }

    void address_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("friendName");
        QTest::addColumn<QString>("friendEmail");

        QTest::newRow("plain") << "Anna"
                               << "anna@b.c"
                               << "Try this"
                               << "Bo"
                               << "bo@e.f";
        QTest::newRow("delimiters") << "A & B=C #1 ?x/y"
                                    << "a+tag@b.c"
                                    << "50% off; a=b&c=d#top"
                                    << "Bo+Ek"
                                    << "bo%20ek@e.f";
        QTest::newRow("line breaks and tabs") << "Anna\tLee"
                                              << "anna@b.c"
                                              << "line one\r\nline two\r\n\tthree\r\n"
                                              << "Bo\r\n"
                                              << "bo@e.f";
        QTest::newRow("non-Latin and emoji") << "Ånna Łukasz 名前"
                                             << "ånna@bü.c"
                                             << "Привет 🙂 مرحبا"
                                             << "Βο 🎉"
                                             << "bo@e.f";
        QTest::newRow("keys in values") << "x&taf2=evil"
                                        << "a@b.c"
                                        << "&taf6=http://evil/"
                                        << "taf4"
                                        << "bo@e.f";
        QTest::newRow("quotes and brackets") << "\"O'Neil\" <b>"
                                             << "a@b.c"
                                             << "[1] {2} |3| \\4 `5` ^6"
                                             << "Bo"
                                             << "bo@e.f";
    }

    void address()
    {
        QFETCH(QString, name);
        QFETCH(QString, email);
        QFETCH(QString, message);
        QFETCH(QString, friendName);
        QFETCH(QString, friendEmail);

        frmNagScreen2& form = open();
        // Spaces around every text: they must not reach the address.
        fill(form, u"  "_s + name + u" "_s, u" "_s + email, u" "_s + friendName + u"  "_s,
             friendEmail + u"   "_s);
        form.setMessageText(u"   "_s + message + u" "_s);
        submit(form);
        QCOMPARE(boxes->count(), 0);
        QCOMPARE(browser->opened.size(), 1);
        const QString address = browser->opened.front();
        QCOMPARE(address, run->state.referral.strReferralAddress);

        // Plain ASCII that the browser launch accepts as it stands.
        for (QChar c : address)
            QVERIFY2(c.unicode() > 32 && c.unicode() < 127, qPrintable(address));
        const QUrl url = QUrl::fromEncoded(address.toUtf8(), QUrl::StrictMode);
        QVERIFY2(url.isValid(), qPrintable(url.errorString()));
        QCOMPARE(url.scheme(), QStringLiteral("http"));
        QCOMPARE(url.authority(), services::ForumHost());
        QCOMPARE(url.path(), QStringLiteral("/zenk-refer-a-friend.php"));
        QVERIFY(!url.hasFragment());
        QVERIFY(
            address.startsWith(services::linkAddress(services::LinkTarget::ReferralEndpoint) + u"?taf1="_s));

        QCOMPARE(queryOf(address), expectedQuery(name, email, message, friendName, friendEmail));
    }

    // What cannot change the address's meaning goes as typed, as it always did; the product
    // site's root goes as it stands.
    void addressKeepsSafeCharactersAsTyped()
    {
        frmNagScreen2& form = open();
        fill(form, QStringLiteral("Ann-Marie_O'Neil (2)"), QStringLiteral("ann.m@b.c"),
             QStringLiteral("Zo\u00eb"), QStringLiteral("bo:ek/x@e.f"));
        form.setMessageText(QStringLiteral("50% & = # + ~!*,;?\t\"<>[]{}|\\^`\x7f"));
        submit(form);
        QCOMPARE(
            browser->opened,
            QStringList{services::linkAddress(services::LinkTarget::ReferralEndpoint) +
                        u"?taf1=Ann-Marie_O'Neil%20(2)&taf2=ann.m@b.c"
                        u"&taf3=50%25%20%26%20%3D%20%23%20%2B%20~!*,;?%09%22%3C%3E%5B%5D%7B%7D%7C%5C%5E%60%7F"
                        u"&taf4=Zo%C3%AB&taf5=bo:ek/x@e.f&taf6=http://"_s +
                        services::ProductHost() + u'/'});
    }

    // The system passes an address on to the browser only up to a length; a longer referral is
    // refused with a word, and the form keeps every text as typed.
    void tooLongReferralIsRefused_data()
    {
        QTest::addColumn<int>("over");
        QTest::newRow("exactly the longest") << 0;
        QTest::newRow("one byte longer") << 1;
        QTest::newRow("four times as long") << 3 * int(platform::longestAddress());
    }

    // The figure the README gives for the system: the shell's documented longest address on
    // Windows, one argument of a new process elsewhere.
    void longestAddressIsTheSystems()
    {
#ifdef Q_OS_WIN
        QCOMPARE(platform::longestAddress(), qsizetype(2083));
#else
        QCOMPARE(platform::longestAddress(), qsizetype(32 * 4096 - 1));
#endif
    }

    void tooLongReferralIsRefused()
    {
        QFETCH(int, over);
        frmNagScreen2& form = open();
        fill(form, QStringLiteral("Anna"), QStringLiteral("anna@b.c"), QStringLiteral("Bo"),
             QStringLiteral("bo@e.f"));
        form.setMessageText(QStringLiteral("x"));
        submit(form);
        QCOMPARE(browser->opened.size(), 1);
        const QString message(platform::longestAddress() - browser->opened.takeFirst().size() + 1 + over,
                              u'x');
        form.setMessageText(message);
        submit(form);
        if (over == 0) {
            QCOMPARE(boxes->count(), 0);
            QCOMPARE(browser->opened.size(), 1);
            QCOMPARE(browser->opened.front().size(), platform::longestAddress());
            return;
        }
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Your Message is too long to send")});
        QCOMPARE(boxes->shown.front().icon, ui::MsgIcon::Error);
        QCOMPARE(browser->opened.size(), 0);
        QCOMPARE(form.messageText(), message);
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtName")->text(), QStringLiteral("Anna"));
        QVERIFY(form.isVisible());
    }

    void untouchedMessageIsSentWithItsLineBreak()
    {
        frmNagScreen2& form = open();
        fill(form, QStringLiteral("Anna"), QStringLiteral("anna@b.c"), QStringLiteral("Bo"),
             QStringLiteral("bo@e.f"));
        submit(form);
        QCOMPARE(browser->opened.size(), 1);
        QCOMPARE(run->state.referral.strYourMessage, texts::kFirstMessage);
        QCOMPARE(queryOf(browser->opened.front()),
                 expectedQuery(QStringLiteral("Anna"), QStringLiteral("anna@b.c"), texts::kFirstMessage,
                               QStringLiteral("Bo"), QStringLiteral("bo@e.f")));
        QVERIFY(browser->opened.front().contains(u"&taf3=Your%20Message%0D%0A&"_s));
    }

    // Pressing again sends again; a launch that fails says so each time, and nothing changes.
    void pressingAgain_data()
    {
        QTest::addColumn<bool>("launchWorks");
        QTest::newRow("browser opens") << true;
        QTest::newRow("browser launch fails") << false;
    }

    void pressingAgain()
    {
        QFETCH(bool, launchWorks);

        browser->succeeds = launchWorks;
        frmNagScreen2& form = open();
        fill(form, QStringLiteral("Anna"), QStringLiteral("anna@b.c"), QStringLiteral("Bo"),
             QStringLiteral("bo@e.f"));
        submit(form);
        const QString first = run->state.referral.strReferralAddress;
        submit(form);
        QCOMPARE(browser->opened, (QStringList{first, first}));
        QCOMPARE(boxes->count(), launchWorks ? 0 : 2);
        for (const auto& message : boxes->shown)
            QCOMPARE(message.address, first);
        QVERIFY(form.isVisible());
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtName")->text(), QStringLiteral("Anna"));
        QCOMPARE(testsupport::child<QLineEdit>(form, "txtEmail")->text(), QStringLiteral("anna@b.c"));
        QCOMPARE(form.messageText(), texts::kFirstMessage);
        QCOMPARE(run->state.referral.strReferralAddress, first);
        QCOMPARE(run->ends, 0);
    }

    void trimmingIsSpacesOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("spaces") << "  a b  "
                                << "a b";
        QTest::newRow("only spaces") << "    "
                                     << "";
        QTest::newRow("tabs stay") << "\ta\t"
                                   << "\ta\t";
        QTest::newRow("line breaks stay") << " \r\na\r\n "
                                          << "\r\na\r\n";
        QTest::newRow("no-break space stays") << "\u00a0a"
                                              << "\u00a0a";
        QTest::newRow("empty") << ""
                               << "";
    }

    void trimmingIsSpacesOnly()
    {
        QFETCH(QString, text);
        QFETCH(QString, trimmed);
        QCOMPARE(taf::TrimSpaces(text), trimmed);
    }
};

QTEST_MAIN(ReferralTest)
#include "tst_referral.moc"
