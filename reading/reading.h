#pragma once

#include <QPixmap>
#include <QString>
#include <QtGlobal>

class QWidget;

namespace reading {

// An omen: 1 Falcon, 2 Raven, 3 Snow Lion, 0 for a count not made yet. It is also the
// 1-based number of its picture; picture 4 is the question mark.
inline constexpr qint16 kNoOmen = 0;
inline constexpr qint16 kFalcon = 1;
inline constexpr qint16 kRaven = 2;
inline constexpr qint16 kSnowLion = 3;
inline constexpr int kQuestionMark = 4;

// The reading in progress. It belongs to the program, not to the reading window: it outlives
// the window and only a new reading (or the refresh) clears it.
inline qint16 intCount = 0;
inline qint16 intDraw = 0;
inline qint16 intOmenOne = 0;
inline qint16 intOmenTwo = 0;
inline qint16 intOmenThree = 0;

inline const QString kFirstCaption = QStringLiteral("Count Beads for the First Time");
inline const QString kSecondCaption = QStringLiteral("Count Beads for the Second Time");
inline const QString kThirdCaption = QStringLiteral("Count Beads for the Third Time");
inline const QString kRefreshCaption = QStringLiteral("Click To Refresh");

// Draws the next omen from the shared generator.
qint16 DrawOmen();
// The omen for a value r of the generator.
qint16 omenFor(float r);

QString omenName(qint16 omen);
// The interpretation of an omen at the first, second or third count.
QString interpretation(int count, qint16 omen);
QString allFalconText();

// Picture number 1 to 4 of the bead pictures, at the sharpness the widget's screen needs.
QPixmap beadPicture(int number, const QWidget* on = nullptr);

// Clears the reading state and the reading window's results.
void ResetReading();

} // namespace reading
