#include "referral/promo.h"

#include "app/links.h"
#include "reading/frmMain.h"
#include "ui/controls.h"
#include "ui/forms.h"
#include "ui/random.h"

#include <QLabel>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace referral {
namespace {

// The integer part of r × count + offset, worked out in double precision: in single precision
// r × 6 rounds up to 6 for the largest r below 1, which would draw a seventh value.
int draw(float r, int count, int offset)
{
    return static_cast<int>(std::floor(static_cast<double>(r) * count + offset));
}

} // namespace

QString ForumSiteName()
{
    // A port is for the address bar, not for the name; every label but the last starts
    // with a capital, as the site writes its own name.
    QString host = app::ForumHost().section(u':', 0, 0);
    QStringList labels = host.split(u'.');
    for (qsizetype i = 0; i + 1 < labels.size(); ++i) {
        if (!labels[i].isEmpty())
            labels[i][0] = labels[i].at(0).toUpper();
    }
    return labels.join(u'.');
}

QString PromoMessage(int index)
{
    const QString site = ForumSiteName();
    switch (index) {
    case 0:
        return QStringLiteral("Veldrane Softwares, such as this can be created and maintained only with your "
                              "support. The best way to support Veldrane Board is to visit %1 regularly and "
                              "join in the discussions and other activities on the board.")
            .arg(site);
    case 1:
        return QStringLiteral("Please visit %1 regularly and support it by taking part in its discussions "
                              "and other activities. Without your regular visits to %1 we cannot support "
                              "and maintain these programs.")
            .arg(site);
    case 2:
        return QStringLiteral("%1 is a FREE online discussion forum on astrology, divination and the occult. "
                              "To help the forum develop and maintain this software, please visit %1 "
                              "regularly.")
            .arg(site);
    case 3:
        return QStringLiteral("%1 needs your help! All you need to do is visit %1 regularly and take part in "
                              "its various discussions and activities, to help us maintain and develop more "
                              "Veldrane Softwares.")
            .arg(site);
    default:
        return {};
    }
}

void PickPromoMessage(QLabel& label)
{
    ui::Randomize();
    const int k = std::clamp(draw(ui::Rnd(), kPromoMessageCount, 0), 0, kPromoMessageCount - 1);
    label.setText(PromoMessage(k));
}

void CoBrand_Randomize(qint16& intCoBrandRandomNumber)
{
    const int n = draw(ui::Rnd(), 6, 1);
    intCoBrandRandomNumber = static_cast<qint16>(n);
    // Only the name-entry window carries the two offers; a start-up that never showed it has
    // nothing to reorder.
    auto* main = ui::Forms::find<reading::frmMain>();
    if (!main)
        return;
    if (n % 2 != 0)
        main->lblCobrand->raise();
    else
        main->lblFullBrand->raise();
}

} // namespace referral
