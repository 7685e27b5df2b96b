#include "reading/frmDisplay.h"

#include "services/menus.h"
#include "services/product.h"
#include "ui/controls.h"
#include "ui/guard.h"
#include "ui/linklabel.h"
#include "ui/twips.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace reading {

using namespace services::colours;

namespace {

// What a screen reader says of a bead box: which count it belongs to, and what it shows.
const std::array<QString, 3> kCountNames{QStringLiteral("first count"), QStringLiteral("second count"),
                                         QStringLiteral("third count")};

// The three result rows, top to bottom: the box's left edge, then the row's significance label,
// omen name and interpretation.
struct Row {
    int boxLeft;
    const char* significanceName;
    const char16_t* significance;
    const char* animalName;
    const char* textName;
    int top;
};
constexpr std::array<Row, 3> kRows{{
    {4680, "Label3", u"Significance :-  Support from Gods", "lblAnimalOne", "lblOne", 4200},
    {6360, "Label4", u"Significance :-  Current Position", "lblAnimalTwo", "lblTwo", 4920},
    {7920, "Label5", u"Significance :-  Expected Arrival of a Person", "lblAnimalThree", "lblThree", 5640},
}};

} // namespace

frmDisplay::frmDisplay(Reading& reading, platform::Random& random) : reading(reading), random(random)
{
    QWidget* client = setUpWindow("frmDisplay", services::windowCaption(), 11655, 8010, black);
    setAccessibleDescription(
        QStringLiteral("Reading: think of your question and count the beads three times"));
    services::SharedMenus* menus = createMenus();
    createControls(client, *menus);
    createFooter(client, *menus);
    setUpKeyboard();

    // Before the first count: what a new window shows until a reading starts in it.
    for (int box = 0; box < 3; ++box)
        showOmen(box, Omen::None);
    cmdBeads->setText(Reading{}.buttonCaption());
}

services::SharedMenus* frmDisplay::createMenus()
{
    auto* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* mnuBack = file->addAction(QStringLiteral("&Back"));
    mnuBack->setObjectName(QStringLiteral("mnuBack"));
    connect(mnuBack, &QAction::triggered, this, ui::guarded(&frmDisplay::mnuBack_Click, this));
    file->addSeparator();
    QAction* mnuExit = file->addAction(QStringLiteral("E&xit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    connect(mnuExit, &QAction::triggered, this, ui::guarded(&frmDisplay::mnuExit_Click, this));
    return new services::SharedMenus(this, menuBar());
}

void frmDisplay::createControls(QWidget* client, services::SharedMenus& menus)
{
    Label14 = menus.addForumLabel(client, {3480, 0, 4965, 390});
    // Wider than the window on purpose: its right end is cut off by the window's edge.
    ui::addLabel(client, "Label2", {0, 480, 12075, 375}, QStringLiteral("Tolvy Sarnavel Reading"),
                 {.points = 15.75,
                  .bold = true,
                  .fore = white,
                  .back = darkTeal,
                  .align = Qt::AlignHCenter | Qt::AlignTop});
    const QPalette system = QApplication::palette();
    ui::addLabel(client, "Label6", {45, 1200, 11565, 210},
                 QStringLiteral("Tolvy Sarnavel gives an insight into your current position, the support "
                                "from the Gods and future happenings."),
                 {.points = 9,
                  .bold = true,
                  .fore = system.color(QPalette::Text),
                  .back = system.color(QPalette::Base),
                  .align = Qt::AlignHCenter | Qt::AlignTop});
    for (size_t i = 0; i < picBeads.size(); ++i) {
        picBeads[i] = new ui::PictureBox(client, ui::twipsRect(kRows[i].boxLeft, 1800, 645, 630), true);
        picBeads[i]->setObjectName(QStringLiteral("picBeads%1").arg(i));
        picBeads[i]->setAccessibleDescription(kCountNames[i]);
    }
    ui::addLabel(client, "Label1", {4320, 3000, 4545, 210},
                 QStringLiteral("Think of your question and Click on the Button"),
                 {.points = 9, .bold = true, .fore = red});
    cmdBeads = ui::addButton(client, "cmdBeads", {2280, 3480, 9135, 615}, {}, {.bold = true});
    connect(cmdBeads, &QPushButton::clicked, this, ui::guarded(&frmDisplay::cmdBeads_Click, this));

    for (size_t i = 0; i < kRows.size(); ++i) {
        const Row& row = kRows[i];
        ui::addLabel(client, row.significanceName, {360, row.top, 1785, 675},
                     QString::fromUtf16(row.significance), {.bold = true, .fore = white});
        lblAnimal[i] = ui::addLabel(client, row.animalName, {2280, row.top + 240, 1275, 210}, {},
                                    {.points = 9, .bold = true, .back = darkTeal});
        lblInterpretation[i] = ui::addLabel(client, row.textName, {3600, row.top, 7785, 675}, {},
                                            {.fore = white, .back = darkTeal});
    }
    lblAllThree = ui::addLabel(client, "lblAllThree", {2280, 6480, 9135, 495}, {}, {.fore = red});
}

void frmDisplay::createFooter(QWidget* client, services::SharedMenus& menus)
{
    QGroupBox* Frame5 = ui::addFrame(client, "Frame5", {0, 6960, 11655, 765}, {}, {.back = black});
    // The co-brand offer lies in front here, and nothing reorders it.
    ui::LinkLabel* lblFullBrand = menus.addOfferLabel(services::Offer::FullBrand, Frame5,
                                                      {120, 180, 8895, 495}, Qt::AlignLeft | Qt::AlignTop);
    lblCobrand = menus.addOfferLabel(services::Offer::CoBrand, Frame5, {120, 180, 8895, 495},
                                     Qt::AlignLeft | Qt::AlignTop);
    ui::bringToFront(*lblCobrand, *lblFullBrand);
    cmdExit = ui::addButton(Frame5, "cmdExit", {9120, 240, 1215, 375}, QStringLiteral("&Exit"),
                            {.bold = true, .back = lightGrey});
    cmdBack = ui::addButton(Frame5, "cmdBack", {10440, 240, 1095, 375}, QStringLiteral("&Back"),
                            {.bold = true, .back = lightGrey});
    connect(cmdExit, &QPushButton::clicked, this, ui::guarded(&frmDisplay::cmdExit_Click, this));
    connect(cmdBack, &QPushButton::clicked, this, ui::guarded(&frmDisplay::cmdBack_Click, this));
}

void frmDisplay::setUpKeyboard()
{
    // Enter presses whichever button has the focus, as on any dialog.
    for (QPushButton* button : {cmdBack, cmdExit, cmdBeads})
        button->setAutoDefault(true);
    // The links come after the window's own controls.
    setTabOrder(cmdBack, cmdExit);
    setTabOrder(cmdExit, cmdBeads);
    setTabOrder(cmdBeads, Label14);
    setTabOrder(Label14, lblCobrand);
}

frmDisplay::~frmDisplay() = default;

void frmDisplay::Form_Load()
{
    cmdBack->setFocus();
}

void frmDisplay::showOmen(int box, Omen omen)
{
    const auto i = static_cast<size_t>(box);
    picBeads[i]->setPicture(beadPicture(pictureOf(omen), this));
    picBeads[i]->setAccessibleName(omen == Omen::None ? QStringLiteral("not counted yet") : omenTitle(omen));
}

void frmDisplay::showReading()
{
    for (int count = 1; count <= 3; ++count) {
        const Omen omen = reading.omen(count);
        const auto i = static_cast<size_t>(count - 1);
        showOmen(count - 1, omen);
        lblAnimal[i]->setText(omenName(omen));
        lblInterpretation[i]->setText(interpretation(count, omen));
    }
    lblAllThree->setText(reading.allFalcons() ? allFalconText() : QString());
    cmdBeads->setText(reading.buttonCaption());
}

void frmDisplay::cmdBeads_Click()
{
    // Every click draws, the clearing one too, whose omen is thrown away.
    reading.click(DrawOmen(random));
    showReading();
}

void frmDisplay::ResetReading()
{
    reading.reset();
    showReading();
}

void frmDisplay::cmdBack_Click()
{
    emit backRequested();
}

void frmDisplay::cmdExit_Click()
{
    unloadSelf();
}

void frmDisplay::mnuBack_Click()
{
    cmdBack_Click();
}

void frmDisplay::mnuExit_Click()
{
    cmdExit_Click();
}

void frmDisplay::Form_Unload()
{
    emit leaving();
}

} // namespace reading
