#include "reading/frmMain.h"

#include "services/menus.h"
#include "services/product.h"
#include "ui/controls.h"
#include "ui/guard.h"
#include "ui/keyfilter.h"
#include "ui/linklabel.h"
#include "ui/picture.h"
#include "ui/twips.h"

#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>

namespace reading {

using namespace services::colours;

std::optional<char32_t> nameKeyVerdict(char32_t code)
{
    if (code >= U'A' && code <= U'Z')
        return code;
    if (code >= U'a' && code <= U'z')
        return code - 32;
    if (code == 8 || code == 13 || code == 32)
        return code;
    return std::nullopt;
}

frmMain::frmMain()
{
    QWidget* client = setUpWindow("frmMain", services::windowCaption(), 8205, 4470, black);
    setAccessibleDescription(QStringLiteral("Name entry: type your name, then ask for a reading"));
    services::SharedMenus* menus = createMenus();
    createControls(client, *menus);
    setUpKeyboard();
}

services::SharedMenus* frmMain::createMenus()
{
    auto* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* mnuMayan = file->addAction(QStringLiteral("Get My &Sarnavel Reading"));
    mnuMayan->setObjectName(QStringLiteral("mnuMayan"));
    connect(mnuMayan, &QAction::triggered, this, ui::guarded(&frmMain::mnuMayan_Click, this));
    file->addSeparator();
    QAction* mnuExit = file->addAction(QStringLiteral("E&xit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    connect(mnuExit, &QAction::triggered, this, ui::guarded(&frmMain::mnuExit_Click, this));
    return new services::SharedMenus(this, menuBar());
}

void frmMain::createControls(QWidget* client, services::SharedMenus& menus)
{
    Label14 = menus.addForumLabel(client, {1620, 0, 4965, 390});
    ui::addLabel(client, "Label2", {120, 600, 7995, 735},
                 QStringLiteral("Tolvy Sarnavel is based on the Tibetan Mala or prayer beads being used as "
                                "an object of divination. The mala consists of 108 beads or tenwa and is "
                                "is used for meditation and prayers."),
                 {.points = 9,
                  .bold = true,
                  .fore = white,
                  .back = darkTeal,
                  .align = Qt::AlignHCenter | Qt::AlignTop});
    auto* Picture1 = new ui::PictureBox(client, ui::twipsRect(480, 1680, 2055, 1710), true);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPicture(ui::resourcePicture(QStringLiteral(":/assets/mala.ppm"), {135, 112}, this));
    Picture1->setAccessibleName(QStringLiteral("mala of prayer beads"));

    QGroupBox* Frame1 =
        ui::addFrame(client, "Frame1", {3300, 1680, 4815, 1215}, QStringLiteral("Enter Your Name"),
                     {.points = 9, .bold = true, .fore = darkTeal, .back = lightGrey});
    txtName = new ui::MultiLineTextBox(Frame1);
    txtName->setObjectName(QStringLiteral("txtName"));
    txtName->setAccessibleName(QStringLiteral("Enter Your Name"));
    txtName->setGeometry(ui::twipsRect(240, 360, 4380, 645));
    ui::applyLook(*txtName, {.fore = white, .back = darkTeal});
    ui::installKeyFilter(txtName, [](char32_t code) -> std::optional<char32_t> {
        const auto verdict = nameKeyVerdict(code);
        if (!verdict)
            services::MsgBox(QStringLiteral("Please Enter only Letters"), ui::MsgButtons::Ok,
                             ui::MsgIcon::Information);
        return verdict;
    });

    cmdCalculate =
        ui::addButton(client, "cmdCalculate", {3300, 3000, 4815, 375},
                      QStringLiteral("Get My &Sarnavel Reading"), {.bold = true, .back = lightGrey});
    connect(cmdCalculate, &QPushButton::clicked, this, ui::guarded(&frmMain::cmdCalculate_Click, this));

    QGroupBox* fraFullBrand =
        ui::addFrame(client, "fraFullBrand", {30, 3600, 8145, 855}, {}, {.back = black});
    // Created first, so that the fully-branded offer lies above it until the start-up draw.
    lblCobrand = menus.addOfferLabel(services::Offer::CoBrand, fraFullBrand, {120, 165, 7905, 615},
                                     Qt::AlignHCenter | Qt::AlignTop);
    lblFullBrand = menus.addOfferLabel(services::Offer::FullBrand, fraFullBrand, {120, 165, 7905, 615},
                                       Qt::AlignHCenter | Qt::AlignTop);

    ui::bringToFront(*lblFullBrand, *lblCobrand);
}

void frmMain::setUpKeyboard()
{
    // The links come after the window's own controls.
    setTabOrder(txtName, cmdCalculate);
    setTabOrder(cmdCalculate, Label14);
    setTabOrder(Label14, lblCobrand);
    setTabOrder(lblCobrand, lblFullBrand);
    cmdCalculate->setAutoDefault(true);
    txtName->setFocus();
}

frmMain::~frmMain() = default;

void frmMain::showEvent(QShowEvent* event)
{
    ui::Form::showEvent(event);
    // Shown again after a reading, the window is for typing a name, whichever control started it.
    if (!event->spontaneous())
        txtName->setFocus();
}

bool frmMain::ValidateName()
{
    // Nothing but emptiness is checked: spaces and line breaks count as a name.
    if (!txtName->document()->isEmpty())
        return true;
    services::MsgBox(QStringLiteral("Please Enter Your Name !"), ui::MsgButtons::Ok,
                     ui::MsgIcon::Information);
    txtName->setFocus();
    return false;
}

void frmMain::cmdCalculate_Click()
{
    if (ValidateName())
        emit readingRequested();
}

void frmMain::mnuMayan_Click()
{
    cmdCalculate_Click();
}

void frmMain::mnuExit_Click()
{
    unloadSelf();
}

void frmMain::Form_Unload()
{
    emit leaving();
}

void frmMain::bringOfferToFront(services::Offer offer)
{
    if (offer == services::Offer::CoBrand)
        ui::bringToFront(*lblCobrand, *lblFullBrand);
    else
        ui::bringToFront(*lblFullBrand, *lblCobrand);
}

} // namespace reading
