#pragma once

#include <QString>

namespace services {

// The maker's web pages. Callers name a page; only this table knows its address.
enum class LinkTarget {
    ForumHomePage,
    SoftwareCatalogPage,
    DonatePage,
    FullyBrandedPage,
    CoBrandPage,
    OnlineHelpPage,
    ProductDownloadPage,
    ReferralEndpoint,
};

// Host names of the three sites, fixed when the program is built; each may carry a port.
QString ForumHost();
QString HelpHost();
QString ProductHost();

QString linkAddress(LinkTarget target);

// Opens an address in the default browser. When no browser can be started at all, the user
// gets the address to open it elsewhere; a browser that starts and fails later goes unseen.
void OpenInBrowser(const QString& address);
void OpenLink(LinkTarget target);

} // namespace services
