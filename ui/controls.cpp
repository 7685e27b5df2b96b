#include "ui/controls.h"

#include "ui/linklabel.h"
#include "ui/look.h"
#include "ui/twips.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QPushButton>
#include <QWindow>

#include <cmath>

namespace ui {

namespace {

// Looked up once: a family the system lacks would send every font of every window through the
// font matcher's fallback search again.
const QString& windowFamily()
{
    static const QString family = [] {
        for (const QString& candidate : {QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")}) {
            if (QFontDatabase::hasFamily(candidate))
                return candidate;
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return family;
}

} // namespace

QFont verdana(double points, bool bold, bool underline)
{
    QFont font(windowFamily());
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

void applyLook(QWidget& widget, const Look& look)
{
    widget.setFont(verdana(look.points, look.bold, look.underline));
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
    const int needed = metrics.horizontalAdvance(label.text()) + 2 * label.margin() + 2;
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

QLabel* addLabel(QWidget* parent, const char* name, QRect twips, const QString& caption, const Look& look)
{
    auto* label = new QLabel(displayedCaption(caption), parent);
    label->setObjectName(QLatin1StringView(name));
    label->setGeometry(twipsRect(twips));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(look.align);
    applyLook(*label, look);
    fitSingleLine(*label);
    return label;
}

QPushButton* addButton(QWidget* parent, const char* name, QRect twips, const QString& caption,
                       const Look& look)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1StringView(name));
    button->setGeometry(twipsRect(twips));
    button->setAutoDefault(false);
    applyLook(*button, look);
    // A button fills its own face; the window behind it must not show around it.
    button->setAutoFillBackground(false);
    return button;
}

QGroupBox* addFrame(QWidget* parent, const char* name, QRect twips, const QString& caption, const Look& look)
{
    auto* frame = new QGroupBox(displayedCaption(caption), parent);
    frame->setObjectName(QLatin1StringView(name));
    frame->setGeometry(twipsRect(twips));
    frame->setFlat(caption.isEmpty());
    applyLook(*frame, look);
    return frame;
}

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent)
{
    installAccessibility();
    setCursor(Qt::PointingHandCursor);
    // The keyboard reaches it; a click opens the link without moving the focus, as before.
    setFocusPolicy(Qt::TabFocus);
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
}

LinkLabel::~LinkLabel() = default;

void LinkLabel::mousePressEvent(QMouseEvent* event)
{
    pressed = event->button() == Qt::LeftButton;
    // A double click that never saw its release must not swallow this click.
    secondClickOfDouble = false;
    event->accept();
}

void LinkLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The first click of the pair has already opened the link.
    secondClickOfDouble = event->button() == Qt::LeftButton;
    pressed = false;
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool activate = pressed && !secondClickOfDouble && event->button() == Qt::LeftButton &&
                          rect().contains(event->position().toPoint());
    pressed = false;
    secondClickOfDouble = false;
    event->accept();
    if (activate)
        emit clicked();
}

void LinkLabel::keyPressEvent(QKeyEvent* event)
{
    const bool activates =
        event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space;
    if (!activates || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QLabel::keyPressEvent(event);
        return;
    }
    event->accept();
    // A key held down opens the link once.
    if (!event->isAutoRepeat())
        emit clicked();
}

void LinkLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // In the text's own colour, which the design keeps readable on the label's background.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(foregroundRole()), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void bringToFront(LinkLabel& front, LinkLabel& behind)
{
    front.raise();
    front.setFocusPolicy(Qt::TabFocus);
    behind.setFocusPolicy(Qt::NoFocus);
}

Look linkLook(Qt::Alignment align)
{
    Look look;
    look.bold = true;
    look.underline = true;
    look.fore = colours::lightBlue;
    look.align = align;
    return look;
}

LinkLabel* addLinkLabel(QWidget* parent, const char* name, QRect twips, const QString& caption,
                        const Look& look)
{
    auto* label = new LinkLabel(parent);
    label->setText(displayedCaption(caption));
    label->setObjectName(QLatin1StringView(name));
    label->setGeometry(twipsRect(twips));
    label->setAlignment(look.align);
    applyLook(*label, look);
    return label;
}

PictureBox::PictureBox(QWidget* parent, QRect designPixels, bool border)
    : QLabel(parent), design(designPixels), frame(border ? 1 : 0)
{
    if (border) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(1);
    }
    setAlignment(Qt::AlignCenter);
    setGeometry(design);
}

PictureBox::~PictureBox() = default;

void PictureBox::setPicture(const QPixmap& picture)
{
    setPixmap(picture);
    const QSize needed = picture.deviceIndependentSize().toSize() + QSize(2 * frame, 2 * frame);
    QRect box = design;
    if (needed.width() > design.width() || needed.height() > design.height()) {
        box.setSize(needed.expandedTo(design.size()));
        box.moveCenter(design.center());
    }
    setGeometry(box);
}

MultiLineTextBox::MultiLineTextBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
}

MultiLineTextBox::~MultiLineTextBox() = default;

void MultiLineTextBox::prepareFor(qsizetype incoming)
{
    // Word-boundary wrapping of a single unbroken run takes time that grows with the square
    // of its length: a pasted megabyte would freeze the window for about a minute.
    if (incoming + document()->characterCount() > kLongText)
        setWordWrapMode(QTextOption::WrapAnywhere);
}

void MultiLineTextBox::insertFromMimeData(const QMimeData* source)
{
    // Only plain text goes in. With nobody owning the clipboard or the selection, the X server
    // hands over data that the text control's own insertion crashes on, so it never sees it.
    const QString text = source && source->hasText() ? source->text() : QString();
    if (!text.isEmpty())
        pasteText(text);
}

void MultiLineTextBox::pasteText(const QString& text)
{
    prepareFor(text.size());
    insertPlainText(text);
    ensureCursorVisible();
}

void MultiLineTextBox::replaceText(const QString& text)
{
    prepareFor(text.size());
    setPlainText(text);
}

QPixmap resourcePicture(const QString& path, QSize logicalSize, const QWidget* on)
{
    qreal ratio = 1.0;
    if (on && on->window() && on->window()->windowHandle())
        ratio = on->window()->windowHandle()->devicePixelRatio();
    else if (on)
        ratio = on->devicePixelRatioF();
    const bool sharp = ratio > 1.0;
    // Every reading window is built afresh; decode each picture once per run, not per window.
    const QString key = path + (sharp ? QStringLiteral("@2x") : QString());
    QPixmap picture;
    if (QPixmapCache::find(key, &picture))
        return picture;
    if (sharp) {
        const QFileInfo info(path);
        picture.load(info.path() + u'/' + info.completeBaseName() + QStringLiteral("@2x.") + info.suffix());
        if (!picture.isNull())
            picture.setDevicePixelRatio(2.0);
    }
    if (picture.isNull())
        picture.load(path);
    if (picture.isNull() && logicalSize.isValid()) {
        picture = QPixmap(logicalSize);
        picture.fill(Qt::white);
    }
    QPixmapCache::insert(key, picture);
    return picture;
}

} // namespace ui
