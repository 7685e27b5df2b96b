#pragma once

#include "services/offer.h"

#include <QObject>
#include <QRect>

class QMenuBar;
class QWidget;

namespace ui {
class LinkLabel;
}

namespace services {

// Texts of the promotional link labels.
QString forumPromotionCaption();
QString fullBrandCaption();
QString coBrandCaption();

// The menus and link labels the name-entry and reading windows share: everything but the
// File menu. Each window owns one; its handlers open one page each or show the About window.
class SharedMenus final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SharedMenus)

public:
    // Adds Help, Donate and Make Money to the menu bar, after the window's own File menu.
    SharedMenus(QWidget* window, QMenuBar* bar);
    ~SharedMenus() override;

    ui::LinkLabel* addForumLabel(QWidget* parent, QRect twips);
    ui::LinkLabel* addOfferLabel(Offer offer, QWidget* parent, QRect twips, Qt::Alignment align);

private:
    void mnuOnline_Click();
    void mnuVisit_Click();
    void mnuUpdate_Click();
    void mnuAbout_Click();
    void mnuDonate_Click();
    void mnuMakeMoney_Click();
    void Label14_Click();
    void lblFullBrand_Click();
    void lblCobrand_Click();
};

} // namespace services
