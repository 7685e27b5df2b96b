#include "services/updatereminder.h"

#include "platform/clock.h"
#include "services/dateformat.h"
#include "services/links.h"
#include "services/product.h"
#include "services/settings.h"
#include "ui/messagebox.h"

#include <QLocale>

namespace services {
namespace {

constexpr qint64 kQuietDays = 14;

} // namespace

void RunUpdateReminder()
{
    const StoredDateFormat format{QLocale()};
    const QString text = reminderDateText();
    // Most starts come within the quiet days of the stored date, which is then one of those
    // days as written: matched so, it spares the start loading the date parser.
    const QDate today = platform::today();
    if (format.isOneOfDays(text, today.addDays(-kQuietDays), today.addDays(kQuietDays)))
        return;
    const QDate stored = format.read(text);
    // No date yet, or one that no longer reads as a date (the format changed, or the value
    // was edited): count afresh from today. Left alone, it would never read again.
    if (!stored.isValid()) {
        saveReminderDateText(format.write(today));
        return;
    }
    const qint64 days = today.daysTo(stored);
    if (days >= -kQuietDays && days <= kQuietDays)
        return;
    const ui::MsgAnswer answer = MsgBox(QStringLiteral("There maybe an update to this software available") +
                                            u'\r' + QStringLiteral("Do you want to check for an update?"),
                                        ui::MsgButtons::YesNo, ui::MsgIcon::Information);
    // The box may have stayed open past midnight. A store that cannot be written asks again
    // next time, but the page the user asked for opens all the same.
    saveReminderDateText(format.write(platform::today()));
    if (answer == ui::MsgAnswer::Yes)
        OpenLink(LinkTarget::ProductDownloadPage);
}

} // namespace services
