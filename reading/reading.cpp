#include "reading/reading.h"

#include "platform/random.h"
#include "ui/picture.h"

#include <array>

namespace reading {

Picture pictureOf(Omen omen)
{
    return omen == Omen::None ? Picture::QuestionMark : static_cast<Picture>(omen);
}

void Reading::click(Omen omen)
{
    intCount = static_cast<qint16>(intCount + 1);
    switch (intCount) {
    case 1:
        intOmenOne = omen;
        break;
    case 2:
        intOmenTwo = omen;
        break;
    case 3:
        intOmenThree = omen;
        break;
    default:
        // The click after the third count: the refresh.
        reset();
    }
}

void Reading::reset()
{
    *this = Reading{};
}

Omen Reading::omen(int count) const
{
    switch (count) {
    case 1:
        return intOmenOne;
    case 2:
        return intOmenTwo;
    case 3:
        return intOmenThree;
    default:
        return Omen::None;
    }
}

bool Reading::allFalcons() const
{
    return intOmenOne == Omen::Falcon && intOmenTwo == Omen::Falcon && intOmenThree == Omen::Falcon;
}

QString Reading::buttonCaption() const
{
    switch (intCount) {
    case 0:
        return QStringLiteral("Count Beads for the First Time");
    case 1:
        return QStringLiteral("Count Beads for the Second Time");
    case 2:
        return QStringLiteral("Count Beads for the Third Time");
    default:
        return QStringLiteral("Click To Refresh");
    }
}

Omen omenFor(float r)
{
    // r * 3 + 1 is exact in double; in float the sum can round up to the next omen for an r
    // just below a third.
    return static_cast<Omen>(platform::drawn(r, 3, 1));
}

Omen DrawOmen(platform::Random& random)
{
    return omenFor(random.Rnd());
}

QString omenTitle(Omen omen)
{
    switch (omen) {
    case Omen::Falcon:
        return QStringLiteral("Falcon");
    case Omen::Raven:
        return QStringLiteral("Raven");
    case Omen::SnowLion:
        return QStringLiteral("Snow Lion");
    case Omen::None:
        break;
    }
    return {};
}

QString omenName(Omen omen)
{
    const QString title = omenTitle(omen);
    return title.isEmpty() ? title : title + QStringLiteral(" :-");
}

QString interpretation(int count, Omen omen)
{
    static const std::array<std::array<const char16_t*, 3>, 3> texts{{
        {u"Falcon is a good symbol and bearer of good tidings. You will have success in whatever you do. "
         u"This brings you good luck, happiness and prosperity. You will also have success in legal matters.",
         u"A Raven indicates that this is not a good time for you. You will feel that life has come to a "
         u"standstill and nothing seems to be going right. Everything you put your hand in will turn out to "
         u"be a loss.",
         u"A Snow Lion is a sign of slow progress. Things will go the right way but will take time. "
         u"This is a very neutral result. Be positive and move ahead."},
        {u"The Falcon is a sign of good luck. There will be progress but there may be petty obstacles. "
         u"This is not a good time to have children.",
         u"The Raven indicates serious illness and health related ailments. Some loss too may be faced "
         u"in the form of thefts.",
         u"The Snow Lion indicates that health problems can be overcome and losses can be made right if you "
         u"have the will power."},
        {u"The Falcon is the sign for an unexpected visitor. Health related ailments can be cured if you try "
         u"to find a way.",
         u"The Raven indicates that visitors coming to your house may face loses or will be robbed. Health "
         u"will be bad too.",
         u"The Snow Lion indicates delay in arrival of guests. Cure for health problems will be found after "
         u"some delay."},
    }};
    if (count < 1 || count > 3 || omen == Omen::None)
        return {};
    return QString::fromUtf16(texts[static_cast<size_t>(count - 1)][static_cast<size_t>(omen) - 1]);
}

QString allFalconText()
{
    return QStringLiteral(
        "When all three are falcons, this indicates very good times and good luck. Nothing "
        "can go wrong for you now. Heath will be great and you will have wonderful guests.");
}

QPixmap beadPicture(Picture picture, const QWidget* on)
{
    static const std::array<const char*, 4> files{"bead1", "bead2", "bead3", "question"};
    static const std::array<QSize, 4> sizes{QSize(41, 40), QSize(59, 40), QSize(78, 40), QSize(41, 40)};
    const auto i = static_cast<size_t>(picture) - 1;
    return ui::resourcePicture(QStringLiteral(":/assets/%1.ppm").arg(QLatin1StringView(files[i])), sizes[i],
                               on);
}

} // namespace reading
