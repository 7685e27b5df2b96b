#include "referral/modTellAFriend.h"

#include "platform/browser.h"
#include "services/links.h"
#include "services/product.h"
#include "ui/messagebox.h"

#include <QUrl>

namespace referral::modTellAFriend {

namespace {

void complain(const QString& text)
{
    services::MsgBox(text, ui::MsgButtons::Ok, ui::MsgIcon::Error);
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

ReferralTexts trimmed(const ReferralTexts& texts)
{
    return {TrimSpaces(texts.yourName), TrimSpaces(texts.yourEmail), TrimSpaces(texts.yourMessage),
            TrimSpaces(texts.friendName), TrimSpaces(texts.friendEmail)};
}

const ReferralTexts& placeholders()
{
    static const ReferralTexts texts{QStringLiteral("Your Name"), QStringLiteral("Your Email Address"),
                                     QStringLiteral("Your Message"), QStringLiteral("Friend's Name"),
                                     QStringLiteral("Friend's Email Address")};
    return texts;
}

std::optional<QString> emailProblem(const ReferralTexts& fields)
{
    if (fields.yourEmail == fields.friendEmail)
        return QStringLiteral("Please Enter Distinct Email Addresses");
    // Only that both hold an "@" and a ".", anywhere.
    for (QChar required : {u'@', u'.'}) {
        if (!fields.yourEmail.contains(required) || !fields.friendEmail.contains(required))
            return QStringLiteral("Please Enter Proper Email Address");
    }
    return std::nullopt;
}

std::optional<QString> fieldProblem(const ReferralTexts& fields)
{
    const ReferralTexts& unfilled = placeholders();
    const struct {
        const QString& field;
        const QString& placeholder;
        const char16_t* message;
    } checks[] = {
        {fields.yourName, unfilled.yourName, u"Please Enter Your Name"},
        {fields.yourEmail, unfilled.yourEmail, u"Please Enter Your Email"},
        {fields.yourMessage, unfilled.yourMessage, u"Please Enter Your Message"},
        {fields.friendName, unfilled.friendName, u"Please Enter Your Friend's Name"},
        {fields.friendEmail, unfilled.friendEmail, u"Please Enter Your Friend's Email"},
    };
    // In this order; the first field left unfilled is the one the user hears about.
    for (const auto& check : checks) {
        const QString text = TrimSpaces(check.field);
        if (text.isEmpty() || text == check.placeholder)
            return QString::fromUtf16(check.message);
    }
    return std::nullopt;
}

QString referralAddress(const ReferralTexts& fields)
{
    return services::linkAddress(services::LinkTarget::ReferralEndpoint) + QStringLiteral("?taf1=") +
           queryValue(fields.yourName) + QStringLiteral("&taf2=") + queryValue(fields.yourEmail) +
           QStringLiteral("&taf3=") + queryValue(fields.yourMessage) + QStringLiteral("&taf4=") +
           queryValue(fields.friendName) + QStringLiteral("&taf5=") + queryValue(fields.friendEmail) +
           QStringLiteral("&taf6=http://") + services::ProductHost() + u'/';
}

void SubmitReferral(const ReferralTexts& typed, LastReferral& last)
{
    const ReferralTexts fields = trimmed(typed);
    // Kept before any check, so the fields always hold what the form last showed.
    last.strYourName = fields.yourName;
    last.strYourEmail = fields.yourEmail;
    last.strYourMessage = fields.yourMessage;
    last.strFriendName = fields.friendName;
    last.strFriendEmail = fields.friendEmail;
    if (const auto problem = emailProblem(fields)) {
        complain(*problem);
        return;
    }
    SendReferral(fields, last);
}

void SendReferral(const ReferralTexts& fields, LastReferral& last)
{
    if (const auto problem = fieldProblem(fields)) {
        complain(*problem);
        return;
    }
    last.strReferralAddress = referralAddress(fields);
    // The system hands an address to the browser only up to a length; a longer one would be lost
    // without a word.
    if (!platform::addressFits(last.strReferralAddress)) {
        complain(QStringLiteral("Your Message is too long to send"));
        return;
    }
    services::OpenInBrowser(last.strReferralAddress);
}

} // namespace referral::modTellAFriend
