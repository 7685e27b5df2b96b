#pragma once

#include "services/identity.h"

#include <QString>

// The program's texts that the tests compare, written out once and independently of the
// program's own definitions.
namespace testsupport::texts {

// The roots of the three sites this build was configured with.
inline const QString kForumRoot = QStringLiteral("http://" TOLVY_TEST_FORUM_HOST);
inline const QString kHelpRoot = QStringLiteral("http://" TOLVY_TEST_HELP_HOST);
inline const QString kProductRoot = QStringLiteral("http://" TOLVY_TEST_PRODUCT_HOST);

// The version is the build's.
inline const QString kWindowCaption =
    QStringLiteral("Tolvy Sarnavel v") + QString::fromUtf8(services::identity::kVersion);
inline const QString kAppTitle = QStringLiteral("Tolvy Sarnavel");
inline const QString kIconName = QStringLiteral("Tolvy Sarnavel icon");

inline const QString kReadingButton = QStringLiteral("Get My Sarnavel Reading");
inline const QString kEnterYourName = QStringLiteral("Enter Your Name");
inline const QString kFirstCount = QStringLiteral("Count Beads for the First Time");
inline const QString kSecondCount = QStringLiteral("Count Beads for the Second Time");
inline const QString kThirdCount = QStringLiteral("Count Beads for the Third Time");
inline const QString kRefresh = QStringLiteral("Click To Refresh");
inline const QString kNotCounted = QStringLiteral("not counted yet");
inline const QString kMoreDetails = QStringLiteral("Click here for more details");

inline const QString kOnlyLetters = QStringLiteral("Please Enter only Letters");
inline const QString kEnterName = QStringLiteral("Please Enter Your Name !");
inline const QString kNoSpace = QStringLiteral("Email Address Cannot Contain Space");

inline const QString kMessagePlaceholder = QStringLiteral("Your Message");
// The message box's first text as the form holds it: the placeholder and a line break.
inline const QString kFirstMessage = QStringLiteral("Your Message\r\n");

} // namespace testsupport::texts
