#pragma once

#include "ui/forms.h"

class QAction;
class QGroupBox;
class QLabel;
class QPushButton;

namespace app {
class Shell;
}
namespace ui {
class LinkLabel;
class MultiLineTextBox;
class PictureBox;
} // namespace ui

namespace reading {

// The name-entry window: the user types a name and starts a reading.
class frmMain final : public ui::Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMain)

public:
    frmMain();
    ~frmMain() override;

    void Form_Unload() override;

    // The window's own check before a reading starts.
    bool ValidateName();

    void cmdCalculate_Click();
    void mnuMayan_Click();
    void mnuExit_Click();

    ui::LinkLabel* Label14 = nullptr;
    QLabel* Label2 = nullptr;
    ui::PictureBox* Picture1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    ui::MultiLineTextBox* txtName = nullptr;
    QPushButton* cmdCalculate = nullptr;
    QGroupBox* fraFullBrand = nullptr;
    ui::LinkLabel* lblFullBrand = nullptr;
    ui::LinkLabel* lblCobrand = nullptr;

    QAction* mnuMayan = nullptr;
    QAction* mnuExit = nullptr;
    app::Shell* shell = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

// The letters-only rule of the name field: a capital for a letter, the same code for
// Backspace, Enter and space, nothing for anything else.
std::optional<char32_t> nameKeyVerdict(char32_t code);

} // namespace reading
