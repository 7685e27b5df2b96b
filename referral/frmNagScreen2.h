#pragma once

#include "ui/forms.h"

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {
class LinkLabel;
class MultiLineTextBox;
class PictureBox;
} // namespace ui

namespace referral {

// The refer-a-friend window met on the way out of the program. Created once per run, kept on
// top of every other window; closing it ends the program.
class frmNagScreen2 final : public ui::Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmNagScreen2)

public:
    frmNagScreen2();
    ~frmNagScreen2() override;

    void Form_Load() override;
    void Form_Unload() override;

    void cmdClose_Click();
    void cmdSubmit_Click();
    void Check1_Click();
    void lblGoToHome_Click();
    // Focus entering or leaving one of the five text boxes.
    void TextBox_GotFocus(QWidget* box);
    void TextBox_LostFocus(QWidget* box);

    // The message box's text with every line break as CR LF, the way the form holds it.
    QString messageText() const;
    void setMessageText(const QString& text);

    QLabel* Label1 = nullptr;
    ui::PictureBox* Picture1 = nullptr;
    QLabel* Label2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* cmdClose = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLineEdit* txtName = nullptr;
    QLineEdit* txtEmail = nullptr;
    QLineEdit* txtFriendName = nullptr;
    QLineEdit* txtFriendEmail = nullptr;
    QPushButton* cmdSubmit = nullptr;
    ui::MultiLineTextBox* txtMessage = nullptr;
    QGroupBox* Frame6 = nullptr;
    QLabel* Label3 = nullptr;
    ui::LinkLabel* lblGoToHome = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TextBox {
        QWidget* box;
        QString placeholder;
    };

    const TextBox* textBox(const QObject* widget) const;
    QString boxText(QWidget* box) const;
    void setBoxText(QWidget* box, const QString& text);
    QLineEdit* addTextBox(const char* name, QRect twips, const QString& text);
    void installSpaceFilter(QLineEdit* box);

    std::array<TextBox, 5> textBoxes{};
};

// The check box's caption: the forum site's host between the two fixed pieces.
QString forumCheckCaption();
// The two paragraphs beside the form.
QString catalogueText();

} // namespace referral
