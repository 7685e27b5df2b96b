#pragma once

#include "services/offer.h"

#include <QString>
#include <QtGlobal>

class QLabel;

namespace platform {
class Random;
}

// The two random choices of what the program advertises in a run.
namespace referral {

inline constexpr int kPromoMessageCount = 4;

// The forum site as the messages name it: its configured host written as a brand name.
QString ForumSiteName();

// One of the four texts that ask the user to support the forum (index 0 to 3).
QString PromoMessage(int index);

// The message a value r of the generator picks: the integer part of r × 4.
int promoMessageIndex(float r);

// Seeds the generator afresh from the clock and puts one of the four texts on the label.
void PickPromoMessage(QLabel& label, platform::Random& random);

// The co-brand number a value r of the generator draws, 1 to 6, and the offer it puts in front
// on the name-entry window: odd numbers the co-brand offer, even ones the full brand.
qint16 coBrandNumber(float r);
services::Offer offerInFront(qint16 coBrandNumber);

} // namespace referral
