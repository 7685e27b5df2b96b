// The program's picture reader on any bytes: it reads a whole picture or none, never past its
// data, and the pixels it gives are the bytes at the end of the data, never shifted.
#include "fuzzsupport.h"
#include "ui/picture.h"

#include <QColor>

using fuzzsupport::require;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::startApplication("fuzz_picture");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QImage image = ui::readPicture(bytes);
    if (image.isNull())
        return 0;
    require(image.width() <= 4096 && image.height() <= 4096, "no picture larger than the program's");
    const int depth = image.hasAlphaChannel() ? 4 : 3;
    const qsizetype raster = qsizetype{image.width()} * image.height() * depth;
    require(raster < bytes.size(), "a header comes before the pixels");
    const auto* pixel = data + (size - static_cast<std::size_t>(raster));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x, pixel += depth) {
            const QRgb shown = image.pixel(x, y);
            const bool same = qRed(shown) == pixel[0] && qGreen(shown) == pixel[1] &&
                              qBlue(shown) == pixel[2] && qAlpha(shown) == (depth == 4 ? pixel[3] : 255);
            require(same, "the pixels are the data's last bytes",
                    QStringLiteral("%1x%2 at %3,%4").arg(image.width()).arg(image.height()).arg(x).arg(y));
        }
    }
    return 0;
}
