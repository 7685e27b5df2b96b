#include "reading/reading.h"

#include "reading/frmDisplay.h"
#include "ui/controls.h"
#include "ui/forms.h"
#include "ui/guard.h"
#include "ui/random.h"

#include <QLabel>
#include <QPushButton>

#include <array>
#include <cmath>

namespace reading {

qint16 omenFor(float r)
{
    // r * 3 + 1 is exact in double; in float the sum can round up to the next omen for an r
    // just below a third.
    return static_cast<qint16>(std::floor(static_cast<double>(r) * 3.0 + 1.0));
}

qint16 DrawOmen()
{
    return omenFor(ui::Rnd());
}

QString omenName(qint16 omen)
{
    switch (omen) {
    case kFalcon:
        return QStringLiteral("Falcon :-");
    case kRaven:
        return QStringLiteral("Raven :-");
    case kSnowLion:
        return QStringLiteral("Snow Lion :-");
    default:
        return {};
    }
}

QString interpretation(int count, qint16 omen)
{
    static const std::array<std::array<const char16_t*, 3>, 3> texts{{
        {u"Falcon is a good symbol and bearer of good tidings. You will have success in whatever you do. "
         u"This brings you good luck, happiness and prosperity. You will also have success in legal matters.",
         u"A Raven indicates that this is not a good time for you. You will feel that life has come to a "
         u"standstill and nothing seems to be going right. Everything you put your hand in will turn out to "
         u"be a loss.",
         u"A Snow Lion is a sign of slow progress. Things will go the right way but will take time. This is "
         u"a "
         u"very neutral result. Be positive and move ahead."},
        {u"The Falcon is a sign of good luck. There will be progress but there may be petty obstacles. This "
         u"is "
         u"not a good time to have children.",
         u"The Raven indicates serious illness and health related ailments. Some loss too may be faced in "
         u"the "
         u"form of thefts.",
         u"The Snow Lion indicates that health problems can be overcome and losses can be made right if you "
         u"have the will power."},
        {u"The Falcon is the sign for an unexpected visitor. Health related ailments can be cured if you try "
         u"to find a way.",
         u"The Raven indicates that visitors coming to your house may face loses or will be robbed. Health "
         u"will be bad too.",
         u"The Snow Lion indicates delay in arrival of guests. Cure for health problems will be found after "
         u"some delay."},
    }};
    if (count < 1 || count > 3 || omen < kFalcon || omen > kSnowLion)
        return {};
    return QString::fromUtf16(texts[static_cast<size_t>(count - 1)][static_cast<size_t>(omen - 1)]);
}

QString allFalconText()
{
    return QStringLiteral(
        "When all three are falcons, this indicates very good times and good luck. Nothing "
        "can go wrong for you now. Heath will be great and you will have wonderful guests.");
}

QPixmap beadPicture(int number, const QWidget* on)
{
    static const std::array<const char*, 4> files{"bead1", "bead2", "bead3", "question"};
    static const std::array<QSize, 4> sizes{QSize(41, 40), QSize(59, 40), QSize(78, 40), QSize(41, 40)};
    if (number < 1 || number > 4)
        number = kQuestionMark;
    const auto i = static_cast<size_t>(number - 1);
    return ui::resourcePicture(QStringLiteral(":/assets/%1.jpg").arg(QLatin1StringView(files[i])), sizes[i],
                               on);
}

void ResetReading()
{
    auto& display = ui::Forms::get<frmDisplay>();
    for (int box = 0; box < 3; ++box)
        ui::step([&] { display.showPicture(box, kQuestionMark); });
    intCount = 0;
    intDraw = 0;
    intOmenOne = 0;
    intOmenTwo = 0;
    intOmenThree = 0;
    for (QLabel* label : {display.lblOne, display.lblTwo, display.lblThree, display.lblAnimalOne,
                          display.lblAnimalTwo, display.lblAnimalThree, display.lblAllThree})
        ui::step([label] { label->clear(); });
    ui::step([&] { display.cmdBeads->setText(kFirstCaption); });
}

} // namespace reading
