// The referral address, over any five texts: after the submit step has trimmed them into the
// referral fields, the address parses back to the forum's fixed endpoint with exactly the six
// keys taf1..taf6, in order, holding exactly the five texts and the product site's root. The
// submit step's checks are compared with their rules on the way.
#include "fuzzsupport.h"
#include "platform/browser.h"
#include "referral/modTellAFriend.h"
#include "services/links.h"
#include "ui/messagebox.h"

#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>
#include <array>
#include <iterator>

namespace tell = referral::modTellAFriend;
using fuzzsupport::codes;
using fuzzsupport::require;

namespace {

QStringList messages;
QStringList opened;

// The rule said another way than the program says it: spaces only, at either end, nothing else.
// Code unit by code unit, as the texts may be no valid UTF-16.
QString trimmedOfSpaces(const QString& text)
{
    const auto notSpace = [](QChar c) { return c != u' '; };
    const auto first = std::find_if(text.cbegin(), text.cend(), notSpace);
    const auto last = std::find_if(text.crbegin(), std::make_reverse_iterator(first), notSpace).base();
    return QString(first, last - first);
}

tell::ReferralTexts textsOf(const std::array<QString, 5>& f)
{
    return {f[0], f[1], f[2], f[3], f[4]};
}

// What the submit step and SendReferral must answer for the five trimmed texts; empty when
// the referral goes to the browser.
QString expectedMessage(const std::array<QString, 5>& f)
{
    const QString &name = f[0], &email = f[1], &message = f[2], &friendName = f[3], &friendEmail = f[4];
    if (email == friendEmail)
        return QStringLiteral("Please Enter Distinct Email Addresses");
    if (!email.contains(u'@') || !friendEmail.contains(u'@') || !email.contains(u'.') ||
        !friendEmail.contains(u'.'))
        return QStringLiteral("Please Enter Proper Email Address");
    const auto unfilled = [](const QString& text, const char16_t* placeholder) {
        return text.isEmpty() || text == QStringView(placeholder);
    };
    if (unfilled(name, u"Your Name"))
        return QStringLiteral("Please Enter Your Name");
    if (unfilled(email, u"Your Email Address"))
        return QStringLiteral("Please Enter Your Email");
    if (unfilled(message, u"Your Message"))
        return QStringLiteral("Please Enter Your Message");
    if (unfilled(friendName, u"Friend's Name"))
        return QStringLiteral("Please Enter Your Friend's Name");
    if (unfilled(friendEmail, u"Friend's Email Address"))
        return QStringLiteral("Please Enter Your Friend's Email");
    return {};
}

// UTF-8 has no form for a lone surrogate: the address carries U+FFFD in its place, as every
// browser would.
QString asUtf8Carries(const QString& text)
{
    return fuzzsupport::fromUtf8AsIs(text.toUtf8());
}

void checkAddress(const QString& address, const std::array<QString, 5>& fields)
{
    const QString detail = u'\n' + address;
    const QUrl url(address, QUrl::StrictMode);
    require(url.isValid(), "the address is a valid URL", url.errorString() + detail);
    require(url.scheme() == u"http", "scheme http", detail);
    const QString authority =
        url.host() + (url.port() == -1 ? QString() : u':' + QString::number(url.port()));
    require(authority == services::ForumHost() && url.userInfo().isEmpty(),
            "host (and port) of the forum site", authority + detail);
    require(url.path(QUrl::FullyDecoded) == u"/zenk-refer-a-friend.php", "the referral endpoint's path",
            detail);
    require(!url.hasFragment(), "no fragment", detail);

    const QUrlQuery query(url);
    const QList<std::pair<QString, QString>> items = query.queryItems(QUrl::FullyDecoded);
    const QList<std::pair<QString, QString>> raw = query.queryItems(QUrl::FullyEncoded);
    require(items.size() == 6 && raw.size() == 6, "exactly six query items",
            QString::number(items.size()) + detail);
    for (int i = 0; i < 6; ++i)
        require(items[i].first == QStringLiteral("taf%1").arg(i + 1), "keys taf1..taf6 in order",
                items[i].first + detail);

    // The fields' order in the address: name, e-mail, message, friend's name, friend's e-mail.
    QStringList values;
    for (const QString& field : fields)
        values << asUtf8Carries(field);
    values << QStringLiteral("http://") + services::ProductHost() + u'/';
    for (int i = 0; i < 6; ++i) {
        const QString& expected = values[i];
        const QString where = QStringLiteral("taf%1 ").arg(i + 1) + codes(expected) + u' ';
        // As the endpoint reads it: the value's bytes undone from %XX, then UTF-8.
        const QString served =
            fuzzsupport::fromUtf8AsIs(QByteArray::fromPercentEncoding(raw[i].second.toLatin1()));
        require(served == expected, "each value reads back as the trimmed text",
                where + codes(served) + detail);
        // QUrl's own decoding refuses the noncharacters (U+FFFE and the like) and shows U+FFFD instead.
        const QList<uint> points = expected.toUcs4();
        const bool nonCharacter =
            std::any_of(points.begin(), points.end(), [](uint c) { return QChar::isNonCharacter(c); });
        require(nonCharacter || items[i].second == expected, "each value decodes back as the trimmed text",
                where + codes(items[i].second) + detail);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::startApplication("fuzz_referral");
    ui::testing::setMessageBoxHandler([](const ui::testing::MessageRequest& request) {
        messages << request.text;
        return ui::MsgAnswer::Ok;
    });
    platform::testing::setBrowserHandler([](const QString& address) {
        opened << address;
        return true;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::Input input({data, size});
    const bool wide = input.byte() & 1;
    const auto bytes = input.rest();
    // Five texts, split at a code no keyboard types: U+FFFF in UTF-16, the byte 0xFF in UTF-8
    // (never part of a well-formed sequence). Missing texts are empty; extra pieces are ignored.
    std::array<QString, 5> typed;
    std::size_t start = 0;
    std::size_t field = 0;
    const std::size_t step = wide ? 2 : 1;
    for (std::size_t i = 0; field < typed.size(); i += step) {
        const bool end = i + step > bytes.size();
        const bool separator = !end && (wide ? bytes[i] == 0xFF && bytes[i + 1] == 0xFF : bytes[i] == 0xFF);
        if (!end && !separator)
            continue;
        const auto piece = bytes.subspan(start, i - start);
        typed[field++] = wide ? fuzzsupport::utf16Text(piece) : fuzzsupport::utf8Text(piece);
        start = i + step;
        if (end)
            break;
    }

    messages.clear();
    opened.clear();
    static tell::LastReferral last;
    tell::SubmitReferral({typed[0], typed[1], typed[2], typed[3], typed[4]}, last);

    std::array<QString, 5> trimmed;
    for (std::size_t i = 0; i < typed.size(); ++i)
        trimmed[i] = trimmedOfSpaces(typed[i]);
    const std::array<QString, 5> fields{last.strYourName, last.strYourEmail, last.strYourMessage,
                                        last.strFriendName, last.strFriendEmail};
    for (std::size_t i = 0; i < fields.size(); ++i)
        require(fields[i] == trimmed[i] && tell::TrimSpaces(typed[i]) == trimmed[i],
                "the submit step keeps each text without its leading and trailing spaces",
                codes(typed[i]) + u' ' + codes(fields[i]));

    const QString expected = expectedMessage(trimmed);
    if (expected.isEmpty()) {
        require(messages.isEmpty() && opened.size() == 1, "a complete referral opens one address, silently",
                messages.join(u'|'));
        require(opened.front() == last.strReferralAddress &&
                    opened.front() == tell::referralAddress(textsOf(trimmed)),
                "the browser gets the address built from the fields");
    } else {
        require(opened.isEmpty() && messages == QStringList{expected},
                "the first failing check's message only", expected + u'|' + messages.join(u'|'));
    }

    // Whatever the checks said, the address for these fields must carry them exactly.
    checkAddress(tell::referralAddress(textsOf(trimmed)), trimmed);
    return 0;
}
