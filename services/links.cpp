#include "services/links.h"

#include "platform/browser.h"
#include "services/product.h"

namespace services {

QString ForumHost()
{
    return QStringLiteral(TOLVY_FORUM_HOST);
}
QString HelpHost()
{
    return QStringLiteral(TOLVY_HELP_HOST);
}
QString ProductHost()
{
    return QStringLiteral(TOLVY_PRODUCT_HOST);
}

QString linkAddress(LinkTarget target)
{
    const QString http = QStringLiteral("http://");
    switch (target) {
    case LinkTarget::ForumHomePage:
        return http + ForumHost();
    case LinkTarget::SoftwareCatalogPage:
        return http + ForumHost() + QStringLiteral("/veldranesoftwares");
    case LinkTarget::DonatePage:
        return http + HelpHost() + QStringLiteral("/donate.html");
    case LinkTarget::FullyBrandedPage:
        return http + HelpHost() + QStringLiteral("/fully-branded.html");
    case LinkTarget::CoBrandPage:
        return http + HelpHost() + QStringLiteral("/co-brand.html");
    case LinkTarget::OnlineHelpPage:
        return http + ProductHost() + QStringLiteral("/tolvy-free-sarnavel-help.html");
    case LinkTarget::ProductDownloadPage:
        return http + ProductHost() + QStringLiteral("/download-tolvy-free-sarnavel.html");
    case LinkTarget::ReferralEndpoint:
        return http + ForumHost() + QStringLiteral("/zenk-refer-a-friend.php");
    }
    return {};
}

void OpenInBrowser(const QString& address)
{
    if (platform::launchBrowser(address))
        return;
    // What the user asked for (a page, a referral) would otherwise be lost without a word.
    MsgBox(QStringLiteral("Tolvy Sarnavel could not start a web browser to open this page.") + u'\r' +
               QStringLiteral("You can copy its address and open it in your browser yourself:"),
           ui::MsgButtons::Ok, ui::MsgIcon::Error, address);
}

void OpenLink(LinkTarget target)
{
    OpenInBrowser(linkAddress(target));
}

} // namespace services
