#include "services/menus.h"

#include "services/frmAbout.h"
#include "services/identity.h"
#include "services/links.h"
#include "services/product.h"
#include "ui/guard.h"
#include "ui/linklabel.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace services {

QString forumPromotionCaption()
{
    return QStringLiteral("The Most Popular Online ") + QString::fromUtf8(identity::kOrganisation) +
           QStringLiteral(" Discussion Forum. Click Here To Visit ") + ForumHost() + QStringLiteral(" Now.");
}

QString fullBrandCaption()
{
    return QStringLiteral(
        "Home Business Opportunity. Start your own Internet business and make money online. "
        "Get this software fully branded for your website. Click here for more details.");
}

QString coBrandCaption()
{
    // Written as a caption: "&&" stands for one displayed ampersand.
    return QStringLiteral("Co-brand this software for your site.  Increase loyalty and traffic to your site. "
                          "Put your site's name &&  link here. See ") +
           QStringLiteral("\"Help\"") +
           QStringLiteral(" for details.    Click Here for more info on co-branding.");
}

namespace {

QAction* addItem(QObject* menu, const char* name, const QString& caption)
{
    auto* action = new QAction(caption, menu);
    action->setObjectName(QLatin1StringView(name));
    if (auto* dropDown = qobject_cast<QMenu*>(menu))
        dropDown->addAction(action);
    else
        qobject_cast<QMenuBar*>(menu)->addAction(action);
    return action;
}

} // namespace

SharedMenus::SharedMenus(QWidget* window, QMenuBar* bar) : QObject(window)
{
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    const struct {
        QObject* menu;
        const char* name;
        const char16_t* caption;
        void (SharedMenus::*handler)();
        bool separatorBefore;
        bool shown;
    } items[] = {
        {help, "mnuOnline", u"&Online Help", &SharedMenus::mnuOnline_Click, false, true},
        {help, "mnuVisit", u"&Visit Us Online", &SharedMenus::mnuVisit_Click, false, true},
        {help, "mnuUpdate", u"Check for Software &Update", &SharedMenus::mnuUpdate_Click, true, true},
        {help, "mnuAbout", u"&About Software", &SharedMenus::mnuAbout_Click, true, true},
        {bar, "mnuDonate", u"&Donate", &SharedMenus::mnuDonate_Click, false, true},
        // Switched off from the start and never on: hidden rather than greyed, so the bar shows
        // nothing that can never be chosen.
        {bar, "mnuMakeMoney", u"Make Money &Online", &SharedMenus::mnuMakeMoney_Click, false, false},
    };
    for (const auto& item : items) {
        if (item.separatorBefore)
            help->addSeparator();
        QAction* action = addItem(item.menu, item.name, QString::fromUtf16(item.caption));
        connect(action, &QAction::triggered, this, ui::guarded(item.handler, this));
        action->setVisible(item.shown);
    }
}

SharedMenus::~SharedMenus() = default;

ui::LinkLabel* SharedMenus::addForumLabel(QWidget* parent, QRect twips)
{
    auto* label = ui::addLinkLabel(parent, "Label14", twips, forumPromotionCaption(),
                                   linkLook(Qt::AlignHCenter | Qt::AlignTop));
    connect(label, &ui::LinkLabel::clicked, this, ui::guarded(&SharedMenus::Label14_Click, this));
    return label;
}

ui::LinkLabel* SharedMenus::addOfferLabel(Offer offer, QWidget* parent, QRect twips, Qt::Alignment align)
{
    ui::Look look = linkLook(align);
    look.back = colours::black;
    const bool coBrand = offer == Offer::CoBrand;
    auto* label = ui::addLinkLabel(parent, coBrand ? "lblCobrand" : "lblFullBrand", twips,
                                   coBrand ? coBrandCaption() : fullBrandCaption(), look);
    connect(label, &ui::LinkLabel::clicked, this,
            ui::guarded(coBrand ? &SharedMenus::lblCobrand_Click : &SharedMenus::lblFullBrand_Click, this));
    return label;
}

void SharedMenus::mnuOnline_Click()
{
    OpenLink(LinkTarget::OnlineHelpPage);
}
void SharedMenus::mnuVisit_Click()
{
    OpenLink(LinkTarget::ForumHomePage);
}
void SharedMenus::mnuUpdate_Click()
{
    OpenLink(LinkTarget::ProductDownloadPage);
}
void SharedMenus::mnuAbout_Click()
{
    showAboutWindow();
}
void SharedMenus::mnuDonate_Click()
{
    OpenLink(LinkTarget::DonatePage);
}
void SharedMenus::mnuMakeMoney_Click()
{
    OpenLink(LinkTarget::FullyBrandedPage);
}
void SharedMenus::Label14_Click()
{
    OpenLink(LinkTarget::ForumHomePage);
}
void SharedMenus::lblFullBrand_Click()
{
    OpenLink(LinkTarget::FullyBrandedPage);
}
void SharedMenus::lblCobrand_Click()
{
    OpenLink(LinkTarget::CoBrandPage);
}

} // namespace services
