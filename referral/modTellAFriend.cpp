#include "referral/modTellAFriend.h"

#include "app/links.h"
#include "ui/browser.h"
#include "ui/messagebox.h"

#include <QUrl>

namespace referral::modTellAFriend {

QString strYourName;
QString strYourEmail;
QString strYourMessage;
QString strFriendName;
QString strFriendEmail;
QString strReferralAddress;

namespace {

void complain(const QString& text)
{
    ui::MsgBox(text, ui::MsgButtons::Ok, ui::MsgIcon::Error);
}

// Empty, or nothing but the box's placeholder.
bool unfilled(const QString& field, const QString& placeholder)
{
    const QString text = TrimSpaces(field);
    return text.isEmpty() || text == placeholder;
}

QString queryValue(const QString& value)
{
    // Encoded as %XX of its UTF-8 bytes is only what would end or split a value ("&", "=", "#",
    // "+", "%"), what may not stand in an address at all (space, control characters, quotes,
    // brackets and the like) and what is not ASCII. The rest, "@", ":" and "/" among it, goes as typed.
    return QString::fromLatin1(QUrl::toPercentEncoding(value, QByteArrayLiteral("!$'()*,;:@/?")));
}

} // namespace

QString TrimSpaces(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.sliced(first, last - first);
}

void SubmitReferral(const ReferralTexts& texts)
{
    // Kept before any check, so the fields always hold what the form last showed.
    strYourName = TrimSpaces(texts.yourName);
    strYourEmail = TrimSpaces(texts.yourEmail);
    strYourMessage = TrimSpaces(texts.yourMessage);
    strFriendName = TrimSpaces(texts.friendName);
    strFriendEmail = TrimSpaces(texts.friendEmail);

    const QString& yourEmail = strYourEmail;
    const QString& friendEmail = strFriendEmail;
    if (yourEmail == friendEmail) {
        complain(QStringLiteral("Please Enter Distinct Email Addresses"));
        return;
    }
    if (!yourEmail.contains(u'@') || !friendEmail.contains(u'@')) {
        complain(QStringLiteral("Please Enter Proper Email Address"));
        return;
    }
    if (!yourEmail.contains(u'.') || !friendEmail.contains(u'.')) {
        complain(QStringLiteral("Please Enter Proper Email Address"));
        return;
    }
    SendReferral();
}

void SendReferral()
{
    struct Check {
        const QString& field;
        const char16_t* placeholder;
        const char16_t* message;
    };
    // In this order; the first field left unfilled is the one the user hears about.
    const Check checks[] = {
        {strYourName, u"Your Name", u"Please Enter Your Name"},
        {strYourEmail, u"Your Email Address", u"Please Enter Your Email"},
        {strYourMessage, u"Your Message", u"Please Enter Your Message"},
        {strFriendName, u"Friend's Name", u"Please Enter Your Friend's Name"},
        {strFriendEmail, u"Friend's Email Address", u"Please Enter Your Friend's Email"},
    };
    for (const Check& check : checks) {
        if (unfilled(check.field, QString::fromUtf16(check.placeholder))) {
            complain(QString::fromUtf16(check.message));
            return;
        }
    }
    strReferralAddress = BuildReferralAddress();
    // The system hands an address to the browser only up to a length; a longer one would be lost
    // without a word.
    if (!ui::addressFits(strReferralAddress)) {
        complain(QStringLiteral("Your Message is too long to send"));
        return;
    }
    app::OpenInBrowser(strReferralAddress);
}

QString BuildReferralAddress()
{
    const QString productRoot = QStringLiteral("http://") + app::ProductHost() + u'/';
    return app::linkAddress(app::LinkTarget::ReferralEndpoint) + QStringLiteral("?taf1=") +
           queryValue(strYourName) + QStringLiteral("&taf2=") + queryValue(strYourEmail) +
           QStringLiteral("&taf3=") + queryValue(strYourMessage) + QStringLiteral("&taf4=") +
           queryValue(strFriendName) + QStringLiteral("&taf5=") + queryValue(strFriendEmail) +
           QStringLiteral("&taf6=") + productRoot;
}

} // namespace referral::modTellAFriend
