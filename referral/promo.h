#pragma once

#include <QString>
#include <QtGlobal>

class QLabel;

// The two random choices of what the program advertises in a run.
namespace referral {

inline constexpr int kPromoMessageCount = 4;

// The forum site as the messages name it: its configured host written as a brand name.
QString ForumSiteName();

// One of the four texts that ask the user to support the forum (index 0 to 3).
QString PromoMessage(int index);

// Seeds the shared generator afresh from the clock and puts one of the four texts on the label.
void PickPromoMessage(QLabel& label);

// Draws 1 to 6 into the start-up host's number and brings the matching offer of the
// name-entry window to the front: odd numbers the co-brand offer, even ones the full brand.
void CoBrand_Randomize(qint16& intCoBrandRandomNumber);

} // namespace referral
