// Prints every address the program hands to the browser, as the program builds them, one a line
// in UTF-8: each page of the link table, then referral requests built from hostile typed texts.
// scripts/wine-check.sh passes them through the Windows layer under Wine and compares what
// arrives. Exits 1 when an address could not travel as one line.
#include "referral/modTellAFriend.h"
#include "services/links.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <utility>

namespace {

using referral::modTellAFriend::ReferralTexts;

// Every character a query, a command line or a shell could read as something else, and text
// outside ASCII from Latin letters to an emoji.
const ReferralTexts kHostile[] = {
    {QStringLiteral("Zo\u00EB Bj\u00F6rk"), QStringLiteral("zoe+tag@mail.example"),
     QStringLiteral("a b&c=d#e+f%g?h/i@j"), QStringLiteral("\u5317 \U0001F600"),
     QStringLiteral("friend@mail.example")},
    {QStringLiteral("\"quoted\" 'single' <tag>"), QStringLiteral("a%40b@c.example"),
     QStringLiteral("line one\r\nline two\ttabbed"), QStringLiteral("O'Brien & Sons"),
     QStringLiteral("f=1&g=2@x.example")},
    {QStringLiteral("%PATH% %20 %zz %"), QStringLiteral("^|`{}[]\\@caret.example"),
     QStringLiteral("C:\\Windows\\ ; $HOME `id` $(id) !x"), QStringLiteral("--new-window -private *.* a,b"),
     QStringLiteral("#frag?q=1@y.example")},
    {QStringLiteral("\u00C5ngstr\u00F6m \u00DF \u0141\u00F3d\u017A \u20AC"),
     QStringLiteral("\u00E9@\u00E9.example"),
     QStringLiteral("\uFF0F\uFF1F\uFF06 full-width look-alikes, \u2044 and \u00A0"),
     QStringLiteral("\u65E5\u672C\u8A9E \uD55C\uAD6D\uC5B4 \u0639\u0631\u0628\u064A"),
     QStringLiteral("\U0001F469\u200D\U0001F4BB@emoji.example")},
};

} // namespace

int main()
{
    QStringList addresses;
    // The table has no count: its rows run from 0 until the first value it has no address for.
    // A table that answered every value would never end: a few hundred rows are plenty.
    constexpr int kMostRows = 256;
    int row = 0;
    for (; row < kMostRows; ++row) {
        const auto target = static_cast<services::LinkTarget>(row);
        const QString address = services::linkAddress(target);
        if (address.isEmpty())
            break;
        if (target != services::LinkTarget::ReferralEndpoint)
            addresses << address;
    }
    if (row == kMostRows || addresses.isEmpty()) {
        std::fprintf(stderr, "The link table does not end or has no pages.\n");
        return 1;
    }
    for (const ReferralTexts& texts : kHostile)
        addresses << referral::modTellAFriend::referralAddress(referral::modTellAFriend::trimmed(texts));

    for (const QString& address : std::as_const(addresses)) {
        const QByteArray line = address.toUtf8();
        if (line.isEmpty() || line.contains('\n') || line.contains('\r')) {
            std::fprintf(stderr, "Cannot be one line: %s\n", line.constData());
            return 1;
        }
        std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
        std::fputc('\n', stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
