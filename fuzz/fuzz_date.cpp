// The date text of the settings store, under every locale Qt knows and under made-up short-date
// formats: reading any text gives a valid date or "unreadable" (an invalid date), never a
// failure, and every date the program writes, or reads, reads back as the same date, also after
// the store's character shift.
#include "fuzzsupport.h"
#include "services/dateformat.h"
#include "services/settings.h"
#include "services/updatereminder.h"

#include <QDate>
#include <QLocale>

#include <vector>

using fuzzsupport::codes;
using fuzzsupport::require;

namespace {

const std::vector<QLocale>& allLocales()
{
    static const std::vector<QLocale> locales = [] {
        const QList<QLocale> list =
            QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
        return std::vector<QLocale>(list.begin(), list.end());
    }();
    return locales;
}

// Dates from the first year to the last one a four-digit year holds.
QDate dateFrom(std::uint32_t bits)
{
    const qint64 first = QDate(1, 1, 1).toJulianDay();
    const qint64 last = QDate(9999, 12, 31).toJulianDay();
    return QDate::fromJulianDay(first + bits % (last - first + 1));
}

bool storable(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() > 170)
            return false;
    }
    return true;
}

void checkRoundTrip(const services::StoredDateFormat& format, const QDate& date, const QString& context)
{
    const QString text = format.write(date);
    const QString detail = context + u' ' + date.toString(Qt::ISODate) + u' ' + text + u' ' + codes(text);
    require(!text.isEmpty() && storable(text), "the date text survives the store's encoding", detail);
    require(format.read(text) == date, "a written date reads back as the same date", detail);
    require(format.read(services::DecodeSetting(services::EncodeSetting(text))) == date,
            "a stored date reads back as the same date", detail);
}

// A format the program may meet as a user's short-date format: each kind of field at most
// once, as the platforms' formats have them, and no characters no date format uses.
bool plausibleFormat(const QString& format)
{
    int day = 0, weekday = 0, month = 0, year = 0;
    bool quoted = false;
    bool odd = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        // Digits next to a number cannot be told from it, Qt's parser takes a backslash before
        // a quote as an escape, and control characters have no place in a date.
        odd = odd || c.isDigit() || c == u'\\' || c.unicode() < 32;
        if (c == u'\'') {
            quoted = !quoted;
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        while (!quoted && j < format.size() && format.at(j) == c)
            ++j;
        if (!quoted) {
            const qsizetype run = j - i;
            if (c == u'd')
                (run <= 2 ? day : weekday) += 1;
            else if (c == u'M')
                month += 1;
            else if (c == u'y')
                year += 1;
        }
        i = j;
    }
    return day <= 1 && weekday <= 1 && month <= 1 && year <= 1 && !odd;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::startApplication("fuzz_date");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::Input input({data, size});
    const std::uint8_t how = input.byte();
    const QLocale& locale = allLocales()[input.word() % allLocales().size()];
    std::uint32_t bits = input.word();
    bits |= static_cast<std::uint32_t>(input.word()) << 16;
    const auto bytes = input.rest();
    const QString text = (how & 1) ? fuzzsupport::utf16Text(bytes) : fuzzsupport::utf8Text(bytes);

    const services::StoredDateFormat format(locale);
    const QString context = locale.name() + u' ' + locale.dateFormat(QLocale::ShortFormat);

    // Any text: a date or unreadable, and a date read is one the program can write again.
    const QDate read = format.read(text);
    if (read.isValid())
        checkRoundTrip(format, read, context + QStringLiteral(" read from ") + codes(text));
    // The same text as it would come out of the store.
    const QDate stored = format.read(services::DecodeSetting(text));
    if (stored.isValid())
        checkRoundTrip(format, stored, context + QStringLiteral(" stored as ") + codes(text));
    checkRoundTrip(format, dateFrom(bits), context);

    // The same text as a user's own short-date format: what the program makes of it must still
    // write dates the store keeps and read them back.
    const QString pattern = services::StoredDateFormat(text).pattern();
    require(!pattern.isEmpty() && storable(pattern), "the storable pattern survives the encoding",
            codes(text) + u' ' + pattern);
    if (plausibleFormat(text)) {
        const QDate date = dateFrom(bits);
        const QString written = QLocale::c().toString(date, pattern);
        require(QLocale::c().toDate(written, pattern) == date,
                "a date written with the storable pattern reads back",
                codes(text) + u' ' + pattern + u' ' + written + u' ' + date.toString(Qt::ISODate));
    }
    return 0;
}
