#include "ui/picture.h"

#include <QFile>
#include <QFileInfo>
#include <QPixmapCache>
#include <QWidget>
#include <QWindow>

namespace ui {
namespace {

// The largest side the program's pictures may have; anything larger is not one of them.
constexpr int kLargestSide = 4096;

// The header of a PPM or PAM file read as netpbm reads it: tokens apart by white space, and a
// comment from '#' to the end of its line wherever white space may stand, touching a token or not.
class Header {
public:
    explicit Header(QByteArrayView data) : data(data) {}

    QByteArrayView token()
    {
        skipSpaceAndComments();
        const qsizetype start = at;
        while (at < data.size() && !isSpace(data[at]) && data[at] != '#')
            ++at;
        return data.sliced(start, at - start);
    }

    // A decimal number of the header; -1 for anything else.
    int number()
    {
        const QByteArrayView digits = token();
        if (digits.isEmpty() || digits.size() > 5)
            return -1;
        int value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return -1;
            value = value * 10 + (c - '0');
        }
        return value;
    }

    // The header ends with exactly one white-space character: what follows it is the raster.
    QByteArrayView raster()
    {
        if (at >= data.size() || !isSpace(data[at]))
            return {};
        return data.sliced(at + 1);
    }

private:
    static bool isSpace(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }

    void skipSpaceAndComments()
    {
        while (at < data.size() && (isSpace(data[at]) || data[at] == '#')) {
            if (data[at] == '#') {
                while (at < data.size() && data[at] != '\n' && data[at] != '\r')
                    ++at;
            } else {
                ++at;
            }
        }
    }

    QByteArrayView data;
    qsizetype at = 0;
};

struct Shape {
    int width = 0;
    int height = 0;
    int depth = 3;
    int maxValue = 0;
};

Shape readShape(Header& header)
{
    Shape shape;
    const QByteArrayView magic = header.token();
    if (magic == "P6") {
        shape.width = header.number();
        shape.height = header.number();
        shape.maxValue = header.number();
    } else if (magic == "P7") {
        for (QByteArrayView key = header.token(); key != "ENDHDR"; key = header.token()) {
            if (key.isEmpty())
                return {};
            if (key == "TUPLTYPE") {
                header.token();
                continue;
            }
            const int value = header.number();
            if (key == "WIDTH")
                shape.width = value;
            else if (key == "HEIGHT")
                shape.height = value;
            else if (key == "DEPTH")
                shape.depth = value;
            else if (key == "MAXVAL")
                shape.maxValue = value;
            else
                return {};
        }
    }
    return shape;
}

} // namespace

QImage readPicture(QByteArrayView data)
{
    Header header(data);
    const Shape shape = readShape(header);
    if (shape.width <= 0 || shape.height <= 0 || shape.width > kLargestSide || shape.height > kLargestSide ||
        shape.maxValue != 255 || (shape.depth != 3 && shape.depth != 4))
        return {};
    // One picture a file and nothing after it: a header misread by a byte leaves a byte over.
    const QByteArrayView raster = header.raster();
    if (raster.size() != qsizetype{shape.width} * shape.height * shape.depth)
        return {};
    // The formats the stock readers give for these files, so that nothing drawn changes.
    QImage image(shape.width, shape.height, shape.depth == 4 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const auto* pixel = reinterpret_cast<const uchar*>(raster.data());
    for (int y = 0; y < shape.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < shape.width; ++x, pixel += shape.depth)
            line[x] = qRgba(pixel[0], pixel[1], pixel[2], shape.depth == 4 ? pixel[3] : 255);
    }
    return image;
}

// Reading these is a copy of their bytes: no decompression, and no image-format plug-in to load
// or to deploy, so no packaging can leave a picture blank.
QImage readPicture(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return readPicture(QByteArrayView(file.readAll()));
}

QPixmap resourcePicture(const QString& path, QSize logicalSize, const QWidget* on)
{
    qreal ratio = 1.0;
    if (on && on->window() && on->window()->windowHandle())
        ratio = on->window()->windowHandle()->devicePixelRatio();
    else if (on)
        ratio = on->devicePixelRatioF();
    const bool sharp = ratio > 1.0;
    // A window built afresh shows the same pictures again: decode each once per run, not per window.
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
