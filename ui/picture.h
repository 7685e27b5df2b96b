#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

class QWidget;

namespace ui {

// Reads a picture stored as binary PPM or, with transparency, PAM: the only forms the program's
// pictures take. A null image when the data is not one whole picture in one of these forms.
QImage readPicture(QByteArrayView data);
QImage readPicture(const QString& path);

// Loads a picture of the program's resources, picking a sharper variant on dense screens.
QPixmap resourcePicture(const QString& path, QSize logicalSize, const QWidget* on = nullptr);

} // namespace ui
