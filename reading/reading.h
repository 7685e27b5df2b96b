#pragma once

#include <QPixmap>
#include <QString>
#include <QtGlobal>

class QWidget;

namespace platform {
class Random;
}

namespace reading {

// What a count of the beads drew; None for a count not made yet.
enum class Omen : qint16 { None = 0, Falcon = 1, Raven = 2, SnowLion = 3 };

// The bead pictures, numbered as their files are: one for each omen, then the question mark.
enum class Picture { Falcon = 1, Raven = 2, SnowLion = 3, QuestionMark = 4 };

// The picture that shows an omen: the question mark for a count not made yet.
Picture pictureOf(Omen omen);

// A reading: three counts of the beads, each with its omen, then a refresh.
struct Reading {
    qint16 intCount = 0; // clicks of the count button since the last reset
    // The omens of the three counts: Omen values (16-bit) under the design's integer names.
    Omen intOmenOne = Omen::None;
    Omen intOmenTwo = Omen::None;
    Omen intOmenThree = Omen::None;

    // One click of the count button, with the omen drawn for it: the next count or, after
    // the third, the refresh, which throws the omen away.
    void click(Omen omen);
    void reset();

    // The omen of count 1, 2 or 3.
    Omen omen(int count) const;
    bool allFalcons() const;
    // The count button's caption: which count comes next, or the refresh.
    QString buttonCaption() const;

    bool operator==(const Reading&) const = default;
};

// Draws the next omen from the generator.
Omen DrawOmen(platform::Random& random);
// The omen for a value r of the generator.
Omen omenFor(float r);

// "Falcon" and the like, and as the reading shows it, "Falcon :-"; empty for no omen.
QString omenTitle(Omen omen);
QString omenName(Omen omen);
// The interpretation of an omen at the first, second or third count.
QString interpretation(int count, Omen omen);
QString allFalconText();

// A bead picture, at the sharpness the widget's screen needs.
QPixmap beadPicture(Picture picture, const QWidget* on = nullptr);

} // namespace reading
