#pragma once

#include "services/offer.h"
#include "ui/forms.h"

#include <optional>

class QPushButton;

namespace services {
class SharedMenus;
}

namespace ui {
class LinkLabel;
class MultiLineTextBox;
} // namespace ui

namespace reading {

// The name-entry window: the user types a name and asks for a reading.
class frmMain final : public ui::Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMain)

public:
    frmMain();
    ~frmMain() override;

    // Which of the two offers at the bottom lies in front, and so can be seen and clicked.
    void bringOfferToFront(services::Offer offer);

signals:
    // A name was typed and a reading asked for.
    void readingRequested();
    // The window is closing.
    void leaving();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The window is built in these steps, in this order.
    services::SharedMenus* createMenus();
    void createControls(QWidget* client, services::SharedMenus& menus);
    void setUpKeyboard();

    void Form_Unload() override;

    // The window's own check before a reading starts.
    bool ValidateName();

    void cmdCalculate_Click();
    void mnuMayan_Click();
    void mnuExit_Click();

    ui::MultiLineTextBox* txtName = nullptr;
    QPushButton* cmdCalculate = nullptr;
    ui::LinkLabel* Label14 = nullptr;
    ui::LinkLabel* lblFullBrand = nullptr;
    ui::LinkLabel* lblCobrand = nullptr;
};

// The letters-only rule of the name field: a capital for a letter, the same code for
// Backspace, Enter and space, nothing for anything else.
std::optional<char32_t> nameKeyVerdict(char32_t code);

} // namespace reading
