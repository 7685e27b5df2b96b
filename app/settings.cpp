#include "app/settings.h"

#include "app/links.h"
#include "ui/clock.h"
#include "ui/guard.h"
#include "ui/messagebox.h"
#include "ui/userstore.h"

#include <QCoreApplication>
#include <QList>
#include <QLocale>
#include <QSettings>

#include <algorithm>
#include <memory>

namespace app {
namespace {

constexpr int kShift = 85;
// The highest code whose shifted form still fits the single-byte code page.
constexpr char16_t kLastStorableCode = 255 - kShift;
constexpr qint64 kQuietDays = 14;

const QString& organisation()
{
    static const QString name = QStringLiteral("Veldrane");
    return name;
}

const QString& section()
{
    static const QString name = QStringLiteral("Settings");
    return name;
}

const QString& durationKey()
{
    static const QString key = EncodeSetting(QStringLiteral("Duration"));
    return key;
}

// Each executable file name keeps a settings area of its own. Nothing when the store cannot be
// used, which reads as an empty store that cannot be written.
std::unique_ptr<QSettings> openStore()
{
    auto store = ui::openUserStore(organisation(), QCoreApplication::applicationName());
    if (store)
        store->beginGroup(section());
    return store;
}

bool storable(QChar c)
{
    return c.unicode() <= kLastStorableCode;
}

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

QString EncodeSetting(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        // Above 255 a character has no single-byte code, and its shifted code would not fit anyway.
        if (storable(c))
            result += QChar(static_cast<char16_t>(c.unicode() + kShift));
    }
    return result;
}

QString DecodeSetting(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        const int code = c.unicode();
        if (code >= kShift && code <= 255)
            result += QChar(static_cast<char16_t>(code - kShift));
    }
    return result;
}

QString GetDuration()
{
    const auto store = openStore();
    if (!store)
        return {};
    const QVariant value = store->value(durationKey());
    // The program only ever writes text; anything else there is not a date of ours.
    if (value.typeId() != QMetaType::QString)
        return {};
    return DecodeSetting(value.toString());
}

bool SaveDuration(const QString& value)
{
    const auto store = openStore();
    if (!store)
        return false;
    return ui::writeUserStore(*store, durationKey(), EncodeSetting(value));
}

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

void RunUpdateReminder() noexcept
{
    // A failing step ends the reminder there; start-up goes on regardless.
    ui::step([] {
        const QDate stored = dateFromSettingText(GetDuration());
        // No date yet, or one that no longer reads as a date (the format changed, or the value
        // was edited): count afresh from today. Left alone, it would never read again.
        if (!stored.isValid()) {
            SaveDuration(dateToSettingText(ui::today()));
            return;
        }
        const qint64 days = ui::today().daysTo(stored);
        if (days >= -kQuietDays && days <= kQuietDays)
            return;
        const ui::MsgAnswer answer =
            ui::MsgBox(QStringLiteral("There maybe an update to this software available") + u'\r' +
                           QStringLiteral("Do you want to check for an update?"),
                       ui::MsgButtons::YesNo, ui::MsgIcon::Information);
        // The box may have stayed open past midnight.
        if (!SaveDuration(dateToSettingText(ui::today())))
            return;
        if (answer == ui::MsgAnswer::Yes)
            OpenLink(LinkTarget::ProductDownloadPage);
    });
}

} // namespace app
