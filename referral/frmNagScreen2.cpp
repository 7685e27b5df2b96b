#include "referral/frmNagScreen2.h"

#include "referral/modTellAFriend.h"
#include "referral/promo.h"
#include "services/identity.h"
#include "services/links.h"
#include "services/product.h"
#include "ui/controls.h"
#include "ui/guard.h"
#include "ui/keyfilter.h"
#include "ui/linklabel.h"
#include "ui/twips.h"
#include "ui/windowing.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>

#include <limits>

namespace referral {

using namespace services::colours;

namespace {

ui::Look frameLook()
{
    return {.bold = true, .fore = white, .back = navy};
}

ui::Look textBoxLook()
{
    return {.fore = black, .back = white};
}

ui::Look buttonLook()
{
    return {.fore = black, .back = lightGrey};
}

// Focus moves between the window's own controls count; a message box, a context menu or
// another program taking the focus for a while does not.
bool movesBetweenControls(const QFocusEvent* event)
{
    return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
}

} // namespace

QString forumCheckCaption()
{
    return QStringLiteral("Click Here To Visit ") + services::ForumHost() + QStringLiteral(" Now");
}

QString catalogueText()
{
    return QStringLiteral("If you enjoyed ") + QString::fromUtf8(services::identity::kTitle) +
           QStringLiteral(", you will surely like our other ") +
           QString::fromUtf8(services::identity::kPublisher) +
           QStringLiteral(
               " too. From a "
               "single program we have grown into the largest resource of such programs, covering astrology, "
               "psychic, tarot, numerology and the occult.\n\n"
               "Every one of them is simple, fun and informative. Try them out and share the experience with "
               "your friends and family.");
}

frmNagScreen2::frmNagScreen2(modTellAFriend::LastReferral& last, platform::Random& random)
    : last(last), random(random)
{
    QWidget* client = setUpWindow("frmNagScreen2", services::windowCaption(), 11115, 4725, white);
    setAccessibleDescription(QStringLiteral("Refer a friend, on the way out: Exit ends the program"));
    createMessage(client);
    createReferralForm(client);
    createCatalogue(client);
    setUpKeyboard();
}

void frmNagScreen2::createMessage(QWidget* client)
{
    QLabel* Label1 =
        ui::addLabel(client, "Label1", {1080, 240, 4635, 435}, services::windowCaption(), {.fore = navy});
    Label1->setFont(ui::titleFont());
    auto* Picture1 = new ui::PictureBox(client, ui::twipsRect(360, 120, 540, 540), false);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAccessibleName(QStringLiteral("Tolvy Sarnavel icon"));
    Picture1->setPicture(services::applicationIcon().pixmap(QSize(32, 32), devicePixelRatioF()));

    Label2 = ui::addLabel(client, "Label2", {120, 840, 6975, 1095}, PromoMessage(1),
                          {.points = 9.75, .bold = true, .fore = black, .back = white});

    Check1 = new QCheckBox(forumCheckCaption(), client);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setGeometry(ui::twipsRect(30, 2040, 7185, 555));
    ui::applyLook(*Check1, {.points = 14.25, .fore = black, .back = white});
    Check1->setCursor(Qt::PointingHandCursor);
    const int indicator = Check1->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, Check1) +
                          Check1->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, Check1) + 2;
    ui::condenseToFit(*Check1, Check1->text(), Check1->size() - QSize(indicator, 0));
    connect(Check1, &QCheckBox::clicked, this, ui::guarded(&frmNagScreen2::Check1_Click, this));
    ui::ignoreDoubleClicks(*Check1);

    cmdClose =
        ui::addButton(client, "cmdClose", {6000, 2760, 1245, 375}, QStringLiteral("E&xit"), buttonLook());
    connect(cmdClose, &QPushButton::clicked, this, ui::guarded(&frmNagScreen2::cmdClose_Click, this));
}

void frmNagScreen2::createReferralForm(QWidget* client)
{
    const modTellAFriend::ReferralTexts& placeholder = modTellAFriend::placeholders();
    QGroupBox* Frame2 = ui::addFrame(client, "Frame2", {120, 3240, 7065, 1455},
                                     QStringLiteral("Refer A Friend"), frameLook());
    txtName = addTextBox(Frame2, "txtName", {85, 360, 3375, 285}, placeholder.yourName);
    txtEmail = addTextBox(Frame2, "txtEmail", {3600, 360, 3375, 285}, placeholder.yourEmail);
    txtFriendName = addTextBox(Frame2, "txtFriendName", {85, 720, 3375, 285}, placeholder.friendName);
    txtFriendEmail = addTextBox(Frame2, "txtFriendEmail", {3600, 720, 3375, 285}, placeholder.friendEmail);
    cmdSubmit = ui::addButton(Frame2, "cmdSubmit", {1920, 1080, 3375, 285},
                              QStringLiteral("Refer A Friend &Now"), buttonLook());
    connect(cmdSubmit, &QPushButton::clicked, this, ui::guarded(&frmNagScreen2::cmdSubmit_Click, this));
    // The page opens in a browser, out of sight: a double click would send the referral twice.
    ui::ignoreDoubleClicks(*cmdSubmit);
    // Below the frame's bottom edge, so the frame hides it; it still takes the focus in turn.
    txtMessage = new ui::MultiLineTextBox(Frame2);
    txtMessage->setObjectName(QStringLiteral("txtMessage"));
    txtMessage->setAccessibleName(placeholder.yourMessage);
    txtMessage->setGeometry(ui::twipsRect(4800, 3600, 1815, 495));
    ui::applyLook(*txtMessage, textBoxLook());
    setMessageText(placeholder.yourMessage + QStringLiteral("\r\n"));
    txtMessage->installEventFilter(this);

    textBoxes = {{{txtName, placeholder.yourName},
                  {txtEmail, placeholder.yourEmail},
                  {txtFriendName, placeholder.friendName},
                  {txtFriendEmail, placeholder.friendEmail},
                  {txtMessage, placeholder.yourMessage}}};
    installSpaceFilter(txtEmail);
    installSpaceFilter(txtFriendEmail);
}

void frmNagScreen2::createCatalogue(QWidget* client)
{
    QGroupBox* Frame6 = ui::addFrame(
        client, "Frame6", {7320, 120, 3735, 4575},
        QStringLiteral("Download ") + QString::fromUtf8(services::identity::kPublisher), frameLook());
    ui::addLabel(Frame6, "Label3", {120, 360, 3495, 3855}, catalogueText(), {.points = 9, .fore = white});
    lblGoToHome = ui::addLinkLabel(Frame6, "lblGoToHome", {75, 4250, 3585, 210},
                                   QStringLiteral("Click Here To Visit ") +
                                       QString::fromUtf8(services::identity::kPublisher),
                                   {.points = 9, .bold = true, .underline = true, .fore = yellow});
    ui::condenseToFit(*lblGoToHome, lblGoToHome->text(), lblGoToHome->size());
    connect(lblGoToHome, &ui::LinkLabel::clicked, this, ui::guarded(&frmNagScreen2::lblGoToHome_Click, this));
}

void frmNagScreen2::setUpKeyboard()
{
    // Enter presses whichever button has the focus.
    cmdClose->setAutoDefault(true);
    cmdSubmit->setAutoDefault(true);
    setTabOrder(cmdClose, Check1);
    setTabOrder(Check1, txtName);
    setTabOrder(txtName, cmdSubmit);
    setTabOrder(cmdSubmit, txtEmail);
    setTabOrder(txtEmail, txtFriendEmail);
    setTabOrder(txtFriendEmail, txtFriendName);
    setTabOrder(txtFriendName, txtMessage);
    // The link comes after the window's own controls.
    setTabOrder(txtMessage, lblGoToHome);
    cmdClose->setFocus();
}

frmNagScreen2::~frmNagScreen2() = default;

QLineEdit* frmNagScreen2::addTextBox(QGroupBox* frame, const char* name, QRect twips, const QString& text)
{
    auto* box = new QLineEdit(text, frame);
    box->setObjectName(QLatin1StringView(name));
    // The box's first text says what belongs in it; a screen reader keeps saying so once it is typed over.
    box->setAccessibleName(text);
    box->setGeometry(ui::twipsRect(twips));
    // A line box keeps 32,767 characters by default and cuts a longer paste without a word.
    box->setMaxLength(std::numeric_limits<int>::max());
    ui::applyLook(*box, textBoxLook());
    box->installEventFilter(this);
    return box;
}

void frmNagScreen2::installSpaceFilter(QLineEdit* box)
{
    ui::installKeyFilter(box, [box](char32_t code) -> std::optional<char32_t> {
        if (code != U' ')
            return code;
        services::MsgBox(QStringLiteral("Email Address Cannot Contain Space"), ui::MsgButtons::Ok,
                         ui::MsgIcon::Error);
        box->setFocus();
        return std::nullopt;
    });
}

void frmNagScreen2::Form_Load()
{
    PickPromoMessage(*Label2, random);
    ui::condenseToFit(*Label2, Label2->text(), Label2->size());
    ui::makeTopmost(*this);
}

void frmNagScreen2::Form_Unload()
{
    emit endRequested();
}

void frmNagScreen2::cmdClose_Click()
{
    emit endRequested();
}

void frmNagScreen2::cmdSubmit_Click()
{
    modTellAFriend::SubmitReferral({.yourName = txtName->text(),
                                    .yourEmail = txtEmail->text(),
                                    .yourMessage = messageText(),
                                    .friendName = txtFriendName->text(),
                                    .friendEmail = txtFriendEmail->text()},
                                   last);
}

void frmNagScreen2::Check1_Click()
{
    // The box is a link, not a setting: a click that checks it opens the page and unchecks it.
    if (!Check1->isChecked())
        return;
    Check1->setChecked(false);
    services::OpenLink(services::LinkTarget::ForumHomePage);
}

void frmNagScreen2::lblGoToHome_Click()
{
    services::OpenLink(services::LinkTarget::SoftwareCatalogPage);
}

void frmNagScreen2::TextBox_GotFocus(const TextBox& entry)
{
    if (modTellAFriend::TrimSpaces(boxText(entry.box)) == entry.placeholder)
        setBoxText(entry.box, {});
}

void frmNagScreen2::TextBox_LostFocus(const TextBox& entry)
{
    if (modTellAFriend::TrimSpaces(boxText(entry.box)).isEmpty())
        setBoxText(entry.box, entry.placeholder);
}

bool frmNagScreen2::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        const auto* focus = static_cast<QFocusEvent*>(event);
        const TextBox* entry = textBox(watched);
        if (entry && movesBetweenControls(focus)) {
            if (event->type() == QEvent::FocusIn)
                ui::guard([this, entry] { TextBox_GotFocus(*entry); });
            else
                ui::guard([this, entry] { TextBox_LostFocus(*entry); });
        }
    }
    return ui::Form::eventFilter(watched, event);
}

const frmNagScreen2::TextBox* frmNagScreen2::textBox(const QObject* widget) const
{
    for (const TextBox& entry : textBoxes) {
        if (entry.box && entry.box == widget)
            return &entry;
    }
    return nullptr;
}

QString frmNagScreen2::boxText(const QWidget* box) const
{
    if (box == txtMessage)
        return messageText();
    if (const auto* line = qobject_cast<const QLineEdit*>(box))
        return line->text();
    return {};
}

void frmNagScreen2::setBoxText(QWidget* box, const QString& text)
{
    if (box == txtMessage)
        setMessageText(text);
    else if (auto* line = qobject_cast<QLineEdit*>(box))
        line->setText(text);
}

QString frmNagScreen2::messageText() const
{
    // The document keeps a line break as a paragraph or line separator; the form's text has CR LF
    // there, as the referral endpoint receives it.
    QString text = txtMessage->document()->toRawText();
    for (QChar separator : {QChar(QChar::ParagraphSeparator), QChar(QChar::LineSeparator)})
        text.replace(separator, QStringLiteral("\r\n"));
    return text;
}

void frmNagScreen2::setMessageText(const QString& text)
{
    // CR LF, a lone CR and a lone LF each become one line break of the document.
    txtMessage->replaceText(text);
}

} // namespace referral
