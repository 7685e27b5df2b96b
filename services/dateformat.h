#pragma once

#include <QDate>
#include <QString>

class QLocale;

namespace services {

// How the stored date is written: in the user's short-date format as the store can keep it, with
// four-digit years, only literal characters that survive the encoding, and Latin digits. Made
// once, from a locale or a format of its own; reading a text that is not a date under it gives
// an invalid date.
class StoredDateFormat final {
public:
    explicit StoredDateFormat(const QLocale& locale);
    explicit StoredDateFormat(const QString& userFormat);

    // The pattern, in QLocale's date-format syntax, that writes and reads the stored dates.
    const QString& pattern() const { return storable; }

    QString write(QDate date) const;
    QDate read(const QString& text) const;
    // Whether the text is one of the days from first to last as written: the text of such a day
    // reads back as that day, and the writing takes far less code than the reading.
    bool isOneOfDays(const QString& text, QDate first, QDate last) const;

private:
    QString storable;
};

} // namespace services
