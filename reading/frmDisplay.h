#pragma once

#include "reading/reading.h"
#include "ui/forms.h"

#include <array>

class QLabel;
class QPushButton;

namespace platform {
class Random;
}

namespace services {
class SharedMenus;
}

namespace ui {
class LinkLabel;
class PictureBox;
} // namespace ui

namespace reading {

// The reading window: three counts of the beads, their omens and what they mean. It draws
// itself from the program's reading, which it is handed with the generator the counts draw from.
class frmDisplay final : public ui::Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmDisplay)

public:
    frmDisplay(Reading& reading, platform::Random& random);
    ~frmDisplay() override;

    // Clears the reading and shows the window as before the first count.
    void ResetReading();

signals:
    // Back to the name-entry window.
    void backRequested();
    // The window is closing.
    void leaving();

private:
    // The window is built in these steps, in this order.
    services::SharedMenus* createMenus();
    void createControls(QWidget* client, services::SharedMenus& menus);
    void createFooter(QWidget* client, services::SharedMenus& menus);
    void setUpKeyboard();

    void Form_Load() override;
    void Form_Unload() override;

    void cmdBeads_Click();
    void cmdBack_Click();
    void cmdExit_Click();
    void mnuBack_Click();
    void mnuExit_Click();

    void showReading();
    // Box 0, 1 or 2: the omen's picture, named after it for a screen reader.
    void showOmen(int box, Omen omen);

    Reading& reading;
    platform::Random& random;
    std::array<ui::PictureBox*, 3> picBeads{};
    std::array<QLabel*, 3> lblAnimal{};
    std::array<QLabel*, 3> lblInterpretation{};
    QLabel* lblAllThree = nullptr;
    QPushButton* cmdBeads = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdExit = nullptr;
    ui::LinkLabel* Label14 = nullptr;
    ui::LinkLabel* lblCobrand = nullptr;
};

} // namespace reading
