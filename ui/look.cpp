#include "ui/look.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QFontDatabase>
#include <QHash>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

// Looked up once: a family the system lacks would send every font of every window through the
// font matcher's fallback search again. Looked up in the list of installed families: asking for
// each by name would run it through the font configuration's substitution rules as well. A
// family installed from more than one foundry is listed once for each, as "Family [Foundry]".
const QString& windowFamily()
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const QString& candidate : {QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")}) {
            const QString withFoundry = candidate + QStringLiteral(" [");
            for (const QString& name : installed) {
                if (name.compare(candidate, Qt::CaseInsensitive) == 0 ||
                    name.startsWith(withFoundry, Qt::CaseInsensitive))
                    return candidate;
            }
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return family;
}

// A window built afresh shows the same captions in the same faces and boxes again: how much room
// each caption takes is measured once per run, the text's layout being the cost.
QString measureKey(const QFont& font, const QString& text, QSize box = {})
{
    return font.key() + u'|' + QString::number(box.width()) + u'x' + QString::number(box.height()) + u'|' +
           text;
}

int singleLineWidth(const QFont& font, const QString& text)
{
    static QHash<QString, int> measured;
    const QString key = measureKey(font, text);
    if (const auto known = measured.constFind(key); known != measured.cend())
        return *known;
    return *measured.insert(key, QFontMetrics(font).horizontalAdvance(text));
}

} // namespace

QFont windowFont(double points, bool bold, bool underline)
{
    QFont font(windowFamily());
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

void applyLook(QWidget& widget, const Look& look)
{
    widget.setFont(windowFont(look.points, look.bold, look.underline));
    // Only the roles this kind of control paints with: a window's background must not reach
    // the faces of the buttons or the fields inside it.
    QPalette::ColorRole foreRole = QPalette::WindowText;
    QPalette::ColorRole backRole = QPalette::Window;
    if (qobject_cast<QAbstractButton*>(&widget)) {
        foreRole = QPalette::ButtonText;
        backRole = QPalette::Button;
    } else if (qobject_cast<QAbstractScrollArea*>(&widget) || qobject_cast<QLineEdit*>(&widget)) {
        foreRole = QPalette::Text;
        backRole = QPalette::Base;
    }
    QPalette palette = widget.palette();
    if (look.fore.isValid())
        palette.setColor(foreRole, look.fore);
    if (look.back.isValid())
        palette.setColor(backRole, look.back);
    widget.setPalette(palette);
    widget.setAutoFillBackground(look.back.isValid() && backRole == QPalette::Window);
}

void fitSingleLine(QLabel& label)
{
    const QFontMetrics metrics(label.font());
    const QRect box = label.geometry();
    if (box.height() >= 2 * metrics.lineSpacing())
        return;
    const int needed = singleLineWidth(label.font(), label.text()) + 2 * label.margin() + 2;
    if (needed <= box.width())
        return;
    // The design's face is wider than the fallback face: widen rather than wrap or cut off.
    label.setWordWrap(false);
    QRect wider = box;
    wider.setWidth(needed);
    if (label.alignment() & Qt::AlignHCenter)
        wider.moveCenter(box.center());
    else if (label.alignment() & Qt::AlignRight)
        wider.moveRight(box.right());
    label.setGeometry(wider);
}

QFont titleFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Georgia"), QStringLiteral("DejaVu Serif"), QStringLiteral("Serif")});
    font.setPixelSize(static_cast<int>(std::lround(18 * 96.0 / 72.0)));
    font.setBold(true);
    return font;
}

namespace {

// Wrapped, the text takes no more lines than the box holds, at least one.
bool fitsWrapped(const QFont& font, const QString& text, QSize box)
{
    static QHash<QString, bool> measured;
    const QString key = measureKey(font, text, box);
    if (const auto known = measured.constFind(key); known != measured.cend())
        return *known;
    const QFontMetrics metrics(font);
    const int lines = std::max(1, box.height() / metrics.lineSpacing());
    const QRect needed = metrics.boundingRect(QRect(0, 0, box.width(), (lines + 2) * metrics.lineSpacing()),
                                              Qt::TextWordWrap, text);
    return *measured.insert(key, needed.width() <= box.width() &&
                                     needed.height() < (2 * lines + 1) * metrics.lineSpacing() / 2);
}

} // namespace

void condenseToFit(QWidget& widget, const QString& text, QSize box)
{
    QFont font = widget.font();
    for (int stretch = 100; stretch >= 70; stretch -= 2) {
        font.setStretch(stretch);
        if (fitsWrapped(font, text, box))
            break;
    }
    widget.setFont(font);
}

void fitWrapped(QWidget& widget, const QString& text, QSize box)
{
    if (!fitsWrapped(widget.font(), text, box))
        condenseToFit(widget, text, box);
}

QString displayedCaption(const QString& caption)
{
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&' && i + 1 < caption.size())
            ++i;
        shown.append(caption.at(i));
    }
    return shown;
}

} // namespace ui
