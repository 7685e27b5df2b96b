#include "ui/controls.h"

#include "ui/look.h"
#include "ui/twips.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmapCache>
#include <QPushButton>
#include <QStyleHints>
#include <QWindow>

#include <cctype>

namespace ui {

namespace {

// Kept by the button it watches. Times are the window system's own stamps on the events.
class DoubleClickFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<const QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton)
                break;
            const quint64 at = mouse->timestamp();
            const auto interval =
                static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
            // The system's double click always follows a press within the interval; a press is
            // measured from the one that acted, so a triple click acts once too.
            swallowing = event->type() == QEvent::MouseButtonDblClick ||
                         (acted && at >= actedAt && at - actedAt < interval);
            if (swallowing)
                return true;
            acted = true;
            actedAt = at;
            break;
        }
        case QEvent::MouseButtonRelease:
            if (swallowing && static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton) {
                swallowing = false;
                return true;
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool acted = false;
    quint64 actedAt = 0;
    bool swallowing = false;
};

} // namespace

void ignoreDoubleClicks(QAbstractButton& button)
{
    button.installEventFilter(new DoubleClickFilter(&button));
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
    fitWrapped(*label);
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
    applyLook(*frame, look);
    return frame;
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

QImage readPicture(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    qsizetype at = 0;
    const auto token = [&data, &at] {
        while (at < data.size() && (std::isspace(static_cast<unsigned char>(data[at])) || data[at] == '#')) {
            if (data[at] == '#') {
                const qsizetype end = data.indexOf('\n', at);
                at = end < 0 ? data.size() : end;
            }
            ++at;
        }
        const qsizetype start = at;
        while (at < data.size() && !std::isspace(static_cast<unsigned char>(data[at])))
            ++at;
        return data.mid(start, at - start);
    };
    const QByteArray magic = token();
    int width = 0, height = 0, depth = 3, maxValue = 0;
    if (magic == "P6") {
        width = token().toInt();
        height = token().toInt();
        maxValue = token().toInt();
    } else if (magic == "P7") {
        for (QByteArray key = token(); !key.isEmpty() && key != "ENDHDR"; key = token()) {
            const int value = token().toInt();
            if (key == "WIDTH")
                width = value;
            else if (key == "HEIGHT")
                height = value;
            else if (key == "DEPTH")
                depth = value;
            else if (key == "MAXVAL")
                maxValue = value;
        }
    }
    ++at; // the one white-space character that ends the header
    constexpr int kLargest = 4096;
    if (width <= 0 || height <= 0 || width > kLargest || height > kLargest || maxValue != 255 ||
        (depth != 3 && depth != 4) || data.size() - at < qsizetype{width} * height * depth)
        return {};
    // The formats the stock readers give for these files, so that nothing drawn changes.
    QImage image(width, height, depth == 4 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const auto* pixel = reinterpret_cast<const uchar*>(data.constData()) + at;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x, pixel += depth)
            line[x] = qRgba(pixel[0], pixel[1], pixel[2], depth == 4 ? pixel[3] : 255);
    }
    return image;
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
        picture = QPixmap::fromImage(readPicture(info.path() + u'/' + info.completeBaseName() +
                                                 QStringLiteral("@2x.") + info.suffix()));
        if (!picture.isNull())
            picture.setDevicePixelRatio(2.0);
    }
    if (picture.isNull())
        picture = QPixmap::fromImage(readPicture(path));
    if (picture.isNull() && logicalSize.isValid()) {
        picture = QPixmap(logicalSize);
        picture.fill(Qt::white);
    }
    QPixmapCache::insert(key, picture);
    return picture;
}

} // namespace ui
