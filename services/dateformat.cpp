#include "services/dateformat.h"

#include "services/settings.h"

#include <QList>
#include <QLocale>

#include <algorithm>

namespace services {
namespace {

bool isTimeLetter(QChar c)
{
    return QStringView(u"hHmszaAt").contains(c);
}

// One field of a date format (a run of d, M or y) or the literal text between fields.
struct Piece {
    QChar field;
    int width = 0;
    QString text;
    bool lost = false; // characters of the literal were left out
};

// Quoted text from the quote at `at` on, into `literal`; a doubled quote stands for a quote.
// Returns where the text after it starts.
qsizetype readQuoted(const QString& format, qsizetype at, QString& literal)
{
    const qsizetype n = format.size();
    if (at + 1 < n && format.at(at + 1) == u'\'') {
        literal += u'\'';
        return at + 2;
    }
    for (++at; at < n; ++at) {
        if (format.at(at) != u'\'') {
            literal += format.at(at);
        } else if (at + 1 < n && format.at(at + 1) == u'\'') {
            literal += u'\'';
            ++at;
        } else {
            return at + 1;
        }
    }
    return at;
}

QList<Piece> splitFormat(const QString& format)
{
    QList<Piece> pieces;
    Piece literal;
    const auto flush = [&] {
        if (!literal.text.isEmpty() || literal.lost)
            pieces.append(literal);
        literal = {};
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            i = readQuoted(format, i, literal.text);
        } else if (c == u'd' || c == u'M' || c == u'y') {
            qsizetype end = i;
            while (end < format.size() && format.at(end) == c)
                ++end;
            flush();
            pieces.append({c, static_cast<int>(end - i), {}});
            i = end;
        } else {
            // A time field means nothing in a date.
            if (isTimeLetter(c))
                literal.lost = true;
            else
                literal.text += c;
            ++i;
        }
    }
    flush();
    return pieces;
}

// The literals keep only what the store keeps. At either end, what is left of a word it cannot
// keep is only its stray punctuation; between two fields something must still keep them apart.
void keepStorableLiterals(QList<Piece>& pieces)
{
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        Piece& piece = pieces[i];
        if (!piece.field.isNull())
            continue;
        QString kept;
        for (QChar c : piece.text) {
            // Dates are read back with a parser that takes no quote characters.
            if (storable(c) && c != u'\'')
                kept += c;
        }
        if (kept.size() == piece.text.size() && !piece.lost)
            continue;
        const bool between = i > 0 && i + 1 < pieces.size();
        kept = between ? kept.trimmed() : QString();
        if (between && kept.isEmpty())
            kept = QStringLiteral("/");
        piece.text = kept;
    }
    pieces.removeIf([](const Piece& p) { return p.field.isNull() && p.text.isEmpty(); });
}

// Four-digit years, as two-digit ones would come back in the 1900s; true when the fields still
// make a whole date.
bool widenFields(QList<Piece>& pieces)
{
    bool day = false, month = false, year = false;
    for (Piece& piece : pieces) {
        if (piece.field == u'y') {
            piece.width = 4;
            year = true;
        } else if (!piece.field.isNull()) {
            piece.width = std::min(piece.width, 4);
            day = day || (piece.field == u'd' && piece.width <= 2);
            month = month || piece.field == u'M';
        }
    }
    return day && month && year;
}

// Numbers of varying length need something between them to be read back.
void separateNumbers(QList<Piece>& pieces)
{
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        Piece& a = pieces[i];
        Piece& b = pieces[i + 1];
        if (a.field.isNull() || b.field.isNull())
            continue;
        for (Piece* piece : {&a, &b}) {
            if (piece->field != u'y' && piece->width == 1)
                piece->width = 2;
        }
    }
}

// Literals never hold a quote character (see keepStorableLiterals).
QString quotedLiteral(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 128 && c.isLetter())
            return u'\'' + text + u'\'';
    }
    return text;
}

QString storablePattern(const QString& userFormat)
{
    QList<Piece> pieces = splitFormat(userFormat);
    keepStorableLiterals(pieces);
    // A format that cannot hold a whole date would bring back a different one.
    if (!widenFields(pieces))
        return QStringLiteral("yyyy-MM-dd");
    separateNumbers(pieces);
    QString pattern;
    for (const Piece& piece : pieces)
        pattern += piece.field.isNull() ? quotedLiteral(piece.text) : QString(piece.width, piece.field);
    return pattern;
}

} // namespace

StoredDateFormat::StoredDateFormat(const QLocale& locale)
    : StoredDateFormat(locale.dateFormat(QLocale::ShortFormat))
{
}

StoredDateFormat::StoredDateFormat(const QString& userFormat) : storable(storablePattern(userFormat)) {}

QString StoredDateFormat::write(QDate date) const
{
    // Latin digits and names: native digits of many locales have no single-byte code.
    return QLocale::c().toString(date, storable);
}

QDate StoredDateFormat::read(const QString& text) const
{
    if (text.isEmpty())
        return {};
    return QLocale::c().toDate(text, storable);
}

bool StoredDateFormat::isOneOfDays(const QString& text, QDate first, QDate last) const
{
    for (QDate day = first; day <= last; day = day.addDays(1)) {
        if (write(day) == text)
            return true;
    }
    return false;
}

} // namespace services
