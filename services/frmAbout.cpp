#include "services/frmAbout.h"

#include "services/links.h"
#include "services/product.h"
#include "ui/controls.h"
#include "ui/guard.h"
#include "ui/linklabel.h"
#include "ui/twips.h"
#include "ui/windowing.h"

#include <QPointer>
#include <QPushButton>

namespace services {

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setUpWindow();
    createTexts();
    createLinksAndOffer();
    createButton();
    setUpKeyboard();
}

void frmAbout::setUpWindow()
{
    setObjectName(QStringLiteral("frmAbout"));
    setAccessibleDescription(QStringLiteral("About the program"));
    setWindowTitle(windowCaption());
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(ui::twipsSize(7080, 4005));
    ui::applyLook(*this, {.back = colours::black});
    setFont(ui::windowFont(8.25));
}

void frmAbout::createTexts()
{
    ui::addLabel(this, "Label2", {840, 240, 3075, 240}, windowCaption(),
                 {.points = 9.75, .bold = true, .fore = colours::lightBlue});
    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setAccessibleName(QStringLiteral("Tolvy Sarnavel icon"));
    picIcon->setGeometry(ui::twipsRect(120, 120, 480, 480));
    picIcon->setPixmap(applicationIcon().pixmap(QSize(32, 32), devicePixelRatioF()));
    ui::addLabel(
        this, "Label1", {240, 840, 6645, 975},
        QStringLiteral("Tolvy Sarnavel is based on the Tibetan Mala or prayer beads being used as an "
                       "object of divination. The mala consists of 108 beads or tenwa and is is used "
                       "for meditation and prayers. This oracle gives an insight into your current "
                       "position, the support from the Gods and future happenings."),
        {.fore = colours::paleBlue});
}

void frmAbout::createLinksAndOffer()
{
    lblHomePage = ui::addLinkLabel(
        this, "lblHomePage", {2280, 2040, 4650, 195},
        QStringLiteral("Click here to visit ") + linkAddress(LinkTarget::ForumHomePage), linkLook());
    // The offer, then the link to its details: screen readers read them in this order.
    ui::addLabel(this, "Label3", {120, 2520, 6885, 435},
                 QStringLiteral("Home Business Opportunity. Start your own Internet business and make money "
                                "online. Get this software fully branded for your website."),
                 {.bold = true, .fore = colours::paleBlue});
    lblCoBrand = ui::addLinkLabel(this, "lblCoBrand", {4320, 3000, 2610, 195},
                                  QStringLiteral("Click here for more details"), linkLook());
    connect(lblHomePage, &ui::LinkLabel::clicked, this, ui::guarded(&frmAbout::lblHomePage_Click, this));
    connect(lblCoBrand, &ui::LinkLabel::clicked, this, ui::guarded(&frmAbout::lblCoBrand_Click, this));
}

void frmAbout::createButton()
{
    auto* Line1 = new QWidget(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(0, ui::px(3360) - 1, ui::px(7080), 2);
    ui::applyLook(*Line1, {.back = colours::paleBlue});

    cmdOK = ui::addButton(this, "cmdOK", {5745, 3600, 1260, 345}, QStringLiteral("&OK"),
                          {.bold = true, .back = colours::buttonGrey});
    connect(cmdOK, &QPushButton::clicked, this, ui::guarded(&frmAbout::cmdOK_Click, this));
}

void frmAbout::setUpKeyboard()
{
    // The one button answers both Enter and Esc.
    cmdOK->setAutoDefault(true);
    cmdOK->setDefault(true);
    cmdOK->setFocus();
    // The links come after the button, in reading order.
    setTabOrder(cmdOK, lblHomePage);
    setTabOrder(lblHomePage, lblCoBrand);
}

frmAbout::~frmAbout() = default;

void frmAbout::cmdOK_Click()
{
    done(QDialog::Accepted);
}

void frmAbout::reject()
{
    // Esc and the close box press the one button, as Enter does.
    cmdOK->click();
}

void frmAbout::lblHomePage_Click()
{
    OpenLink(LinkTarget::ForumHomePage);
}

void frmAbout::lblCoBrand_Click()
{
    OpenLink(LinkTarget::FullyBrandedPage);
}

void showAboutWindow()
{
    // Owned by the calling window, so that it stays out of the task bar and opens over it.
    QPointer<frmAbout> about = new frmAbout(ui::modalOwner());
    about->setWindowModality(Qt::ApplicationModal);
    about->adjustSize();
    ui::centreOnScreen(*about);
    ui::execModal(*about);
    delete about.data();
}

} // namespace services
