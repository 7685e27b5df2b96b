#include "services/dateformat.h"

#include "services/settings.h"

#include <QList>
#include <QLocale>

#include <algorithm>

namespace services {
namespace {

bool isTimeLetter(QChar c)
{
    switch (c.unicode()) {
    case u'h':
    case u'H':
    case u'm':
    case u's':
    case u'z':
    case u'a':
    case u'A':
    case u't':
        return true;
    default:
        return false;
    }
}

// One field of a date format (a run of d, M or y) or the literal text between fields.
struct Piece {
    QChar field;
    int width = 0;
    QString text;
    bool lost = false; // characters of the literal were left out
};

QList<Piece> splitFormat(const QString& format)
{
    QList<Piece> pieces;
    QString literal;
    bool lost = false;
    const auto flush = [&] {
        if (!literal.isEmpty() || lost)
            pieces.append({QChar(), 0, literal, lost});
        literal.clear();
        lost = false;
    };
    const qsizetype n = format.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            // Quoted text; a doubled quote stands for a quote, inside quotes or out.
            if (i + 1 < n && format.at(i + 1) == u'\'') {
                literal += c;
                i += 2;
                continue;
            }
            ++i;
            while (i < n) {
                if (format.at(i) == u'\'') {
                    if (i + 1 < n && format.at(i + 1) == u'\'') {
                        literal += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal += format.at(i++);
            }
            continue;
        }
        if (c == u'd' || c == u'M' || c == u'y') {
            qsizetype j = i;
            while (j < n && format.at(j) == c)
                ++j;
            flush();
            pieces.append({c, static_cast<int>(j - i), {}});
            i = j;
            continue;
        }
        // A time field means nothing in a date.
        if (isTimeLetter(c))
            lost = true;
        else
            literal += c;
        ++i;
    }
    flush();
    return pieces;
}

// Literals never hold a quote character (see storableDatePattern).
QString quotedLiteral(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 128 && c.isLetter())
            return u'\'' + text + u'\'';
    }
    return text;
}

QString currentPattern()
{
    return storableDatePattern(QLocale().dateFormat(QLocale::ShortFormat));
}

} // namespace

QString storableDatePattern(const QString& userFormat)
{
    QList<Piece> pieces = splitFormat(userFormat);

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
        // At either end, what is left of a word the store cannot keep is only its stray
        // punctuation; between two fields something must still keep them apart.
        const bool between = i > 0 && i + 1 < pieces.size();
        kept = between ? kept.trimmed() : QString();
        if (between && kept.isEmpty())
            kept = QStringLiteral("/");
        piece.text = kept;
    }
    pieces.removeIf([](const Piece& p) { return p.field.isNull() && p.text.isEmpty(); });

    bool day = false, month = false, year = false;
    for (Piece& piece : pieces) {
        if (piece.field == u'y') {
            // Two-digit years would come back in the 1900s.
            piece.width = 4;
            year = true;
        } else if (!piece.field.isNull()) {
            piece.width = std::min(piece.width, 4);
            day = day || (piece.field == u'd' && piece.width <= 2);
            month = month || piece.field == u'M';
        }
    }
    // A format that cannot hold a whole date would bring back a different one.
    if (!day || !month || !year)
        return QStringLiteral("yyyy-MM-dd");

    // Numbers of varying length need something between them to be read back.
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        Piece& a = pieces[i];
        Piece& b = pieces[i + 1];
        if (a.field.isNull() || b.field.isNull())
            continue;
        if (a.field != u'y' && a.width == 1)
            a.width = 2;
        if (b.field != u'y' && b.width == 1)
            b.width = 2;
    }

    QString pattern;
    for (const Piece& piece : pieces)
        pattern += piece.field.isNull() ? quotedLiteral(piece.text) : QString(piece.width, piece.field);
    return pattern;
}

QString dateToSettingText(QDate date)
{
    // Latin digits and names: native digits of many locales have no single-byte code.
    return QLocale::c().toString(date, currentPattern());
}

QDate dateFromSettingText(const QString& text)
{
    if (text.isEmpty())
        return {};
    return QLocale::c().toDate(text, currentPattern());
}

bool isSettingTextOfDays(const QString& text, QDate first, QDate last)
{
    const QString pattern = currentPattern();
    for (QDate day = first; day <= last; day = day.addDays(1)) {
        if (QLocale::c().toString(day, pattern) == text)
            return true;
    }
    return false;
}

} // namespace services
