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

// A reading: three counts of the beads, each with its omen, then a refresh.
struct Reading {
    qint16 intCount = 0;   // clicks of the count button since the last reset
    qint16 intDraw = 0;    // the omen the latest click drew
    qint16 intOmenOne = 0; // omens of the three counts, kNoOmen until made
    qint16 intOmenTwo = 0;
    qint16 intOmenThree = 0;

    // One click of the count button, with the omen drawn for it: the next count or, after
    // the third, the refresh, which throws the omen away.
    void click(qint16 omen);
    void reset();

    // The omen of count 1, 2 or 3.
    qint16 omen(int count) const;
    bool allFalcons() const;
    // The count button's caption: which count comes next, or the refresh.
    QString buttonCaption() const;

    bool operator==(const Reading&) const = default;
};

// The program's reading. It belongs to the program, not to the reading window: it outlives the
// window, and only a new reading (or the refresh) clears it.
Reading& currentReading();

// Draws the next omen from the shared generator.
qint16 DrawOmen();
// The omen for a value r of the generator.
qint16 omenFor(float r);

// "Falcon" and the like, and as the reading shows it, "Falcon :-"; empty for no omen.
QString omenTitle(qint16 omen);
QString omenName(qint16 omen);
// The interpretation of an omen at the first, second or third count.
QString interpretation(int count, qint16 omen);
QString allFalconText();

// Picture number 1 to 4 of the bead pictures, at the sharpness the widget's screen needs.
QPixmap beadPicture(int number, const QWidget* on = nullptr);

} // namespace reading
