#pragma once

#include <QString>

#include <optional>

// The referral: five texts from the refer-a-friend form, checked and sent to the forum site by
// opening one address in the browser.
namespace referral::modTellAFriend {

// The texts of the form's five boxes.
struct ReferralTexts {
    QString yourName;
    QString yourEmail;
    QString yourMessage;
    QString friendName;
    QString friendEmail;

    bool operator==(const ReferralTexts&) const = default;
};

// What stands in each box while the user has typed nothing.
const ReferralTexts& placeholders();

// The last texts submitted and the last address built, kept for the rest of the run by
// whoever owns the program's state.
struct LastReferral {
    QString strYourName;
    QString strYourEmail;
    QString strYourMessage;
    QString strFriendName;
    QString strFriendEmail;
    QString strReferralAddress;
};

// Leading and trailing spaces go; tabs and line breaks are the user's text and stay.
QString TrimSpaces(const QString& text);
ReferralTexts trimmed(const ReferralTexts& texts);

// The submit step's check of the two trimmed addresses: the message to show, or nothing.
std::optional<QString> emailProblem(const ReferralTexts& fields);
// The check that every trimmed field holds more than its placeholder: the message, or nothing.
std::optional<QString> fieldProblem(const ReferralTexts& fields);

// The address for the fields. The typed values are percent-encoded where they would otherwise
// change the address, so that the endpoint reads back exactly what the user typed.
QString referralAddress(const ReferralTexts& fields);

// The form's submit step: keeps the trimmed texts, checks the two addresses, then sends.
void SubmitReferral(const ReferralTexts& typed, LastReferral& last);
// Checks the fields, then opens the referral address and keeps it; a failed check shows its
// message.
void SendReferral(const ReferralTexts& fields, LastReferral& last);

} // namespace referral::modTellAFriend
