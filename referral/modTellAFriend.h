#pragma once

#include <QString>

// The referral: five texts from the refer-a-friend form, checked and sent to the forum site by
// opening one address in the browser.
namespace referral::modTellAFriend {

// Program-wide, kept from one submission to the next; each submission overwrites them.
extern QString strYourName;
extern QString strYourEmail;
extern QString strYourMessage;
extern QString strFriendName;
extern QString strFriendEmail;
extern QString strReferralAddress;

// The texts of the form's five boxes, as they stand in the boxes.
struct ReferralTexts {
    QString yourName;
    QString yourEmail;
    QString yourMessage;
    QString friendName;
    QString friendEmail;
};

// Leading and trailing spaces go; tabs and line breaks are the user's text and stay.
QString TrimSpaces(const QString& text);

// The form's submit step: keeps the trimmed texts, checks the two addresses, then sends.
void SubmitReferral(const ReferralTexts& texts);

// Checks that every field holds more than its placeholder, then opens the referral address.
void SendReferral();

// The address for the current fields. The typed values are percent-encoded where they would
// otherwise change the address, so that the endpoint reads back exactly what the user typed.
QString BuildReferralAddress();

} // namespace referral::modTellAFriend
