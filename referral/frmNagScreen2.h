#pragma once

#include "referral/modTellAFriend.h"
#include "ui/forms.h"

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace platform {
class Random;
}

namespace ui {
class LinkLabel;
class MultiLineTextBox;
} // namespace ui

namespace referral {

// The refer-a-friend window met on the way out of the program. Created once per run, kept on
// top of every other window; closing it ends the program. It keeps what it last sent in the
// program's record, and draws its message from the program's generator.
class frmNagScreen2 final : public ui::Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmNagScreen2)

public:
    frmNagScreen2(modTellAFriend::LastReferral& last, platform::Random& random);
    ~frmNagScreen2() override;

    // The message box's text with every line break as CR LF, the way the form holds it.
    QString messageText() const;
    void setMessageText(const QString& text);

signals:
    // The program is to end: Exit was pressed, or the window closed.
    void endRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window is built in these steps, in this order: the message with the forum box and
    // Exit, the referral form, the catalogue beside them.
    void createMessage(QWidget* client);
    void createReferralForm(QWidget* client);
    void createCatalogue(QWidget* client);
    void setUpKeyboard();

    void Form_Load() override;
    void Form_Unload() override;

    void cmdClose_Click();
    void cmdSubmit_Click();
    void Check1_Click();
    void lblGoToHome_Click();

    struct TextBox {
        QWidget* box;
        QString placeholder;
    };

    // Focus entering or leaving one of the five text boxes.
    void TextBox_GotFocus(const TextBox& entry);
    void TextBox_LostFocus(const TextBox& entry);

    const TextBox* textBox(const QObject* widget) const;
    QString boxText(const QWidget* box) const;
    void setBoxText(QWidget* box, const QString& text);
    QLineEdit* addTextBox(QGroupBox* frame, const char* name, QRect twips, const QString& text);
    void installSpaceFilter(QLineEdit* box);

    modTellAFriend::LastReferral& last;
    platform::Random& random;
    QLabel* Label2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdSubmit = nullptr;
    ui::LinkLabel* lblGoToHome = nullptr;
    QLineEdit* txtName = nullptr;
    QLineEdit* txtEmail = nullptr;
    QLineEdit* txtFriendName = nullptr;
    QLineEdit* txtFriendEmail = nullptr;
    ui::MultiLineTextBox* txtMessage = nullptr;
    std::array<TextBox, 5> textBoxes{};
};

// The check box's caption: the forum site's host between the two fixed pieces.
QString forumCheckCaption();
// The two paragraphs beside the form.
QString catalogueText();

} // namespace referral
