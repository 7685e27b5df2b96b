#pragma once

#include <QObject>
#include <QRect>

class QAction;
class QMenuBar;
class QWidget;

namespace ui {
class LinkLabel;
}

namespace app {

// Texts of the promotional link labels.
QString forumPromotionCaption();
QString fullBrandCaption();
QString coBrandCaption();

// The menus and link labels the name-entry and reading windows share: everything but the
// File menu. Each window owns one; its handlers open one page each or show the About window.
class Shell final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Shell)

public:
    // Adds Help, Donate and Make Money to the menu bar, after the window's own File menu.
    Shell(QWidget* window, QMenuBar* bar);
    ~Shell() override;

    ui::LinkLabel* addForumLabel(QWidget* parent, QRect twips);
    ui::LinkLabel* addFullBrandLabel(QWidget* parent, QRect twips, Qt::Alignment align);
    ui::LinkLabel* addCoBrandLabel(QWidget* parent, QRect twips, Qt::Alignment align);

    QAction* mnuOnline = nullptr;
    QAction* mnuVisit = nullptr;
    QAction* mnuUpdate = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuDonate = nullptr;
    QAction* mnuMakeMoney = nullptr;

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

} // namespace app
