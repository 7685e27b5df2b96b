#include "referral/promo.h"

#include "platform/random.h"
#include "services/identity.h"
#include "services/links.h"

#include <QLabel>
#include <QStringList>

#include <algorithm>

namespace referral {

QString ForumSiteName()
{
    // A port is for the address bar, not for the name; every label but the last starts
    // with a capital, as the site writes its own name.
    QString host = services::ForumHost().section(u':', 0, 0);
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
    const QString publisher = QString::fromUtf8(services::identity::kPublisher);
    const QString organisation = QString::fromUtf8(services::identity::kOrganisation);
    switch (index) {
    case 0:
        return QStringLiteral("%2, such as this can be created and maintained only with your "
                              "support. The best way to support %3 Board is to visit %1 regularly and "
                              "join in the discussions and other activities on the board.")
            .arg(site, publisher, organisation);
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
                              "%2.")
            .arg(site, publisher);
    default:
        return {};
    }
}

int promoMessageIndex(float r)
{
    return std::clamp(platform::drawn(r, kPromoMessageCount), 0, kPromoMessageCount - 1);
}

void PickPromoMessage(QLabel& label, platform::Random& random)
{
    random.Randomize();
    label.setText(PromoMessage(promoMessageIndex(random.Rnd())));
}

qint16 coBrandNumber(float r)
{
    return static_cast<qint16>(platform::drawn(r, 6, 1));
}

services::Offer offerInFront(qint16 coBrandNumber)
{
    return coBrandNumber % 2 != 0 ? services::Offer::CoBrand : services::Offer::FullBrand;
}

} // namespace referral
