#include "reading/frmDisplay.h"

#include "app/shell.h"
#include "app/startup.h"
#include "reading/frmMain.h"
#include "reading/reading.h"
#include "referral/frmNagScreen2.h"
#include "ui/controls.h"
#include "ui/guard.h"
#include "ui/twips.h"

#include <QApplication>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace reading {

using namespace ui::colours;

namespace {

constexpr std::array<int, 3> kBoxLeft{4680, 6360, 7920};
// What a screen reader says of a bead box: which count it belongs to, and what it shows.
const std::array<QString, 3> kCountNames{QStringLiteral("first count"), QStringLiteral("second count"),
                                         QStringLiteral("third count")};

QString pictureName(int picture)
{
    switch (picture) {
    case kFalcon:
        return QStringLiteral("Falcon");
    case kRaven:
        return QStringLiteral("Raven");
    case kSnowLion:
        return QStringLiteral("Snow Lion");
    default:
        return QStringLiteral("not counted yet");
    }
}

ui::Look significanceLook()
{
    return {.bold = true, .fore = white};
}
ui::Look omenNameLook()
{
    return {.points = 9, .bold = true, .back = darkTeal};
}
ui::Look interpretationLook()
{
    return {.fore = white, .back = darkTeal};
}

} // namespace

frmDisplay::frmDisplay()
{
    QWidget* client = setUpWindow("frmDisplay", 11655, 8010, black);

    auto* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuBack = file->addAction(QStringLiteral("&Back"), this, &frmDisplay::mnuBack_Click);
    mnuBack->setObjectName(QStringLiteral("mnuBack"));
    file->addSeparator();
    mnuExit = file->addAction(QStringLiteral("E&xit"), this, &frmDisplay::mnuExit_Click);
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    shell = new app::Shell(this, menuBar());

    Label14 = shell->addForumLabel(client, {3480, 0, 4965, 390});
    // Wider than the window on purpose: its right end is cut off by the window's edge.
    Label2 = ui::addLabel(client, "Label2", {0, 480, 12075, 375}, QStringLiteral("Tolvy Sarnavel Reading"),
                          {.points = 15.75,
                           .bold = true,
                           .fore = white,
                           .back = darkTeal,
                           .align = Qt::AlignHCenter | Qt::AlignTop});
    const QPalette system = QApplication::palette();
    Label6 =
        ui::addLabel(client, "Label6", {45, 1200, 11565, 210},
                     QStringLiteral("Tolvy Sarnavel gives an insight into your current position, the support "
                                    "from the Gods and future happenings."),
                     {.points = 9,
                      .bold = true,
                      .fore = system.color(QPalette::Text),
                      .back = system.color(QPalette::Base),
                      .align = Qt::AlignHCenter | Qt::AlignTop});
    for (size_t i = 0; i < picBeads.size(); ++i) {
        picBeads[i] = new ui::PictureBox(client, ui::twipsRect(kBoxLeft[i], 1800, 645, 630), true);
        picBeads[i]->setObjectName(QStringLiteral("picBeads%1").arg(i));
        picBeads[i]->setAccessibleDescription(kCountNames[i]);
        showPicture(static_cast<int>(i), kQuestionMark);
    }
    Label1 = ui::addLabel(client, "Label1", {4320, 3000, 4545, 210},
                          QStringLiteral("Think of your question and Click on the Button"),
                          {.points = 9, .bold = true, .fore = red});
    cmdBeads = ui::addButton(client, "cmdBeads", {2280, 3480, 9135, 615}, kFirstCaption, {.bold = true});
    connect(cmdBeads, &QPushButton::clicked, this, &frmDisplay::cmdBeads_Click);

    Label3 = ui::addLabel(client, "Label3", {360, 4200, 1785, 675},
                          QStringLiteral("Significance :-  Support from Gods"), significanceLook());
    lblAnimalOne = ui::addLabel(client, "lblAnimalOne", {2280, 4440, 1275, 210}, {}, omenNameLook());
    lblOne = ui::addLabel(client, "lblOne", {3600, 4200, 7785, 675}, {}, interpretationLook());
    Label4 = ui::addLabel(client, "Label4", {360, 4920, 1785, 675},
                          QStringLiteral("Significance :-  Current Position"), significanceLook());
    lblAnimalTwo = ui::addLabel(client, "lblAnimalTwo", {2280, 5160, 1275, 210}, {}, omenNameLook());
    lblTwo = ui::addLabel(client, "lblTwo", {3600, 4920, 7785, 675}, {}, interpretationLook());
    Label5 =
        ui::addLabel(client, "Label5", {360, 5640, 1785, 675},
                     QStringLiteral("Significance :-  Expected Arrival of a Person"), significanceLook());
    lblAnimalThree = ui::addLabel(client, "lblAnimalThree", {2280, 5880, 1275, 210}, {}, omenNameLook());
    lblThree = ui::addLabel(client, "lblThree", {3600, 5640, 7785, 675}, {}, interpretationLook());
    lblAllThree = ui::addLabel(client, "lblAllThree", {2280, 6480, 9135, 495}, {}, {.fore = red});

    Frame5 = ui::addFrame(client, "Frame5", {0, 6960, 11655, 765}, {}, {.back = black});
    // Created last, the co-brand offer lies in front here, and nothing reorders it.
    lblFullBrand = shell->addFullBrandLabel(Frame5, {120, 180, 8895, 495}, Qt::AlignLeft | Qt::AlignTop);
    lblCobrand = shell->addCoBrandLabel(Frame5, {120, 180, 8895, 495}, Qt::AlignLeft | Qt::AlignTop);
    cmdExit = ui::addButton(Frame5, "cmdExit", {9120, 240, 1215, 375}, QStringLiteral("&Exit"),
                            {.bold = true, .back = lightGrey});
    cmdBack = ui::addButton(Frame5, "cmdBack", {10440, 240, 1095, 375}, QStringLiteral("&Back"),
                            {.bold = true, .back = lightGrey});
    connect(cmdExit, &QPushButton::clicked, this, &frmDisplay::cmdExit_Click);
    connect(cmdBack, &QPushButton::clicked, this, &frmDisplay::cmdBack_Click);

    // Enter presses whichever button has the focus, as on any dialog.
    for (QPushButton* button : {cmdBack, cmdExit, cmdBeads})
        button->setAutoDefault(true);
    setTabOrder(cmdBack, cmdExit);
    setTabOrder(cmdExit, cmdBeads);
}

frmDisplay::~frmDisplay() = default;

void frmDisplay::Form_Load()
{
    cmdBack->setFocus();
}

void frmDisplay::showPicture(int box, int picture)
{
    if (box < 0 || box > 2)
        return;
    const auto i = static_cast<size_t>(box);
    shown[i] = picture;
    picBeads[i]->setPicture(beadPicture(picture, this));
    picBeads[i]->setAccessibleName(pictureName(picture));
}

int frmDisplay::pictureShown(int box) const
{
    return box >= 0 && box <= 2 ? shown[static_cast<size_t>(box)] : 0;
}

void frmDisplay::cmdBeads_Click()
{
    // Every click draws, the clearing one too, whose omen is thrown away.
    ui::step([] { intDraw = DrawOmen(); });
    intCount = static_cast<qint16>(intCount + 1);
    if (cmdBeads->text() == kRefreshCaption) {
        ui::step([] { ResetReading(); });
        return;
    }
    struct Row {
        qint16* omen;
        QLabel* name;
        QLabel* text;
        const QString* nextCaption;
    };
    const std::array<Row, 3> rows{{
        {&intOmenOne, lblAnimalOne, lblOne, &kSecondCaption},
        {&intOmenTwo, lblAnimalTwo, lblTwo, &kThirdCaption},
        {&intOmenThree, lblAnimalThree, lblThree, &kRefreshCaption},
    }};
    if (intCount >= 1 && intCount <= 3) {
        const int count = intCount;
        const Row& row = rows[static_cast<size_t>(count - 1)];
        *row.omen = intDraw;
        ui::step([&] { showPicture(count - 1, *row.omen); });
        ui::step([&] { row.name->setText(omenName(*row.omen)); });
        ui::step([&] { row.text->setText(interpretation(count, *row.omen)); });
        ui::step([&] { cmdBeads->setText(*row.nextCaption); });
    }
    if (intOmenOne == kFalcon && intOmenTwo == kFalcon && intOmenThree == kFalcon)
        ui::step([this] { lblAllThree->setText(allFalconText()); });
}

void frmDisplay::cmdBack_Click()
{
    // The order matters: unloading shows the refer-a-friend window, which the last step hides.
    ui::step([] { ui::Forms::show<frmMain>(); });
    ui::step([this] { ui::Forms::unload(this); });
    ui::step([] { ui::Forms::hide<app::frmNagScreen>(); });
    ui::step([] { ui::Forms::hide<referral::frmNagScreen2>(); });
}

void frmDisplay::cmdExit_Click()
{
    ui::step([this] { ui::Forms::unload(this); });
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
    ui::step([] { ui::Forms::show<referral::frmNagScreen2>(); });
    ui::step([] { ui::Forms::hide<app::frmNagScreen>(); });
}

} // namespace reading
