#include "services/settings.h"

#include "platform/codepage.h"
#include "platform/userstore.h"
#include "services/identity.h"

#include <QCoreApplication>
#include <QSettings>

#include <memory>

namespace services {
namespace {

const QString& organisation()
{
    static const QString name = QString::fromUtf8(identity::kOrganisation);
    return name;
}

const QString& section()
{
    static const QString name = QStringLiteral("Settings");
    return name;
}

const QString& durationKey()
{
    static const QString key = EncodeSetting(QStringLiteral("Duration"));
    return key;
}

// Each executable file name keeps a settings area of its own. Nothing when the store cannot be
// used, which reads as an empty store that cannot be written.
std::unique_ptr<QSettings> openStore()
{
    auto store = platform::openUserStore(organisation(), QCoreApplication::applicationName());
    if (store)
        store->beginGroup(section());
    return store;
}

} // namespace

bool storable(QChar c)
{
    const auto code = platform::singleByteCode(c);
    return code && *code <= kLastStorableCode;
}

QString EncodeSetting(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        // A character without a code, or whose shifted code would not fit, is left out.
        if (!storable(c))
            continue;
        if (const auto shifted = platform::fromSingleByteCode(*platform::singleByteCode(c) + kSettingShift))
            result += *shifted;
    }
    return result;
}

QString DecodeSetting(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        const auto code = platform::singleByteCode(c);
        if (!code || *code < kSettingShift)
            continue;
        if (const auto plain = platform::fromSingleByteCode(*code - kSettingShift))
            result += *plain;
    }
    return result;
}

QString reminderDateText()
{
    const auto store = openStore();
    if (!store)
        return {};
    const QVariant value = store->value(durationKey());
    // The program only ever writes text; anything else there is not a date of ours.
    if (value.typeId() != QMetaType::QString)
        return {};
    return DecodeSetting(value.toString());
}

bool saveReminderDateText(const QString& value)
{
    const auto store = openStore();
    if (!store)
        return false;
    return platform::writeUserStore(*store, durationKey(), EncodeSetting(value));
}

} // namespace services
