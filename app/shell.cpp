#include "app/shell.h"

#include "app/frmAbout.h"
#include "app/links.h"
#include "ui/caption.h"
#include "ui/controls.h"
#include "ui/guard.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace app {

QString forumPromotionCaption()
{
    return QStringLiteral("The Most Popular Online Veldrane Discussion Forum. Click Here To Visit ") +
           ForumHost() + QStringLiteral(" Now.");
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

Shell::Shell(QWidget* window, QMenuBar* bar) : QObject(window)
{
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    mnuOnline = help->addAction(QStringLiteral("&Online Help"), this, &Shell::mnuOnline_Click);
    mnuVisit = help->addAction(QStringLiteral("&Visit Us Online"), this, &Shell::mnuVisit_Click);
    help->addSeparator();
    mnuUpdate = help->addAction(QStringLiteral("Check for Software &Update"), this, &Shell::mnuUpdate_Click);
    help->addSeparator();
    mnuAbout = help->addAction(QStringLiteral("&About Software"), this, &Shell::mnuAbout_Click);
    mnuDonate = bar->addAction(QStringLiteral("&Donate"), this, &Shell::mnuDonate_Click);
    mnuMakeMoney = bar->addAction(QStringLiteral("Make Money &Online"), this, &Shell::mnuMakeMoney_Click);
    // Switched off from the start and never on: hidden rather than greyed, so the bar shows
    // nothing that can never be chosen.
    mnuMakeMoney->setVisible(false);

    mnuOnline->setObjectName(QStringLiteral("mnuOnline"));
    mnuVisit->setObjectName(QStringLiteral("mnuVisit"));
    mnuUpdate->setObjectName(QStringLiteral("mnuUpdate"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    mnuDonate->setObjectName(QStringLiteral("mnuDonate"));
    mnuMakeMoney->setObjectName(QStringLiteral("mnuMakeMoney"));
}

Shell::~Shell() = default;

ui::LinkLabel* Shell::addForumLabel(QWidget* parent, QRect twips)
{
    auto* label = ui::addLinkLabel(parent, "Label14", twips, forumPromotionCaption(),
                                   ui::linkLook(Qt::AlignHCenter | Qt::AlignTop));
    connect(label, &ui::LinkLabel::clicked, this, &Shell::Label14_Click);
    return label;
}

ui::LinkLabel* Shell::addFullBrandLabel(QWidget* parent, QRect twips, Qt::Alignment align)
{
    ui::Look look = ui::linkLook(align);
    look.back = ui::colours::black;
    auto* label = ui::addLinkLabel(parent, "lblFullBrand", twips, fullBrandCaption(), look);
    connect(label, &ui::LinkLabel::clicked, this, &Shell::lblFullBrand_Click);
    return label;
}

ui::LinkLabel* Shell::addCoBrandLabel(QWidget* parent, QRect twips, Qt::Alignment align)
{
    ui::Look look = ui::linkLook(align);
    look.back = ui::colours::black;
    auto* label = ui::addLinkLabel(parent, "lblCobrand", twips, coBrandCaption(), look);
    connect(label, &ui::LinkLabel::clicked, this, &Shell::lblCobrand_Click);
    return label;
}

void Shell::mnuOnline_Click()
{
    ui::step([] { OpenLink(LinkTarget::OnlineHelpPage); });
}
void Shell::mnuVisit_Click()
{
    ui::step([] { OpenLink(LinkTarget::ForumHomePage); });
}
void Shell::mnuUpdate_Click()
{
    ui::step([] { OpenLink(LinkTarget::ProductDownloadPage); });
}
void Shell::mnuAbout_Click()
{
    ui::step([] { showAboutWindow(); });
}
void Shell::mnuDonate_Click()
{
    ui::step([] { OpenLink(LinkTarget::DonatePage); });
}
void Shell::mnuMakeMoney_Click()
{
    ui::step([] { OpenLink(LinkTarget::FullyBrandedPage); });
}
void Shell::Label14_Click()
{
    ui::step([] { OpenLink(LinkTarget::ForumHomePage); });
}
void Shell::lblFullBrand_Click()
{
    ui::step([] { OpenLink(LinkTarget::FullyBrandedPage); });
}
void Shell::lblCobrand_Click()
{
    ui::step([] { OpenLink(LinkTarget::CoBrandPage); });
}

} // namespace app
