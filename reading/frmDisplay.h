#pragma once

#include "ui/forms.h"

#include <array>

class QAction;
class QGroupBox;
class QLabel;
class QPushButton;

namespace app {
class Shell;
}
namespace ui {
class LinkLabel;
class PictureBox;
} // namespace ui

namespace reading {

// The reading window: three counts of the beads, their omens and what they mean.
class frmDisplay final : public ui::Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmDisplay)

public:
    frmDisplay();
    ~frmDisplay() override;

    void Form_Load() override;
    void Form_Unload() override;

    void cmdBeads_Click();
    void cmdBack_Click();
    void cmdExit_Click();
    void mnuBack_Click();
    void mnuExit_Click();

    // Box 0, 1 or 2 shows bead picture 1 to 4.
    void showPicture(int box, int picture);
    // The picture number a box shows.
    int pictureShown(int box) const;

    ui::LinkLabel* Label14 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label6 = nullptr;
    std::array<ui::PictureBox*, 3> picBeads{};
    QLabel* Label1 = nullptr;
    QPushButton* cmdBeads = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblAnimalOne = nullptr;
    QLabel* lblOne = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblAnimalTwo = nullptr;
    QLabel* lblTwo = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* lblAnimalThree = nullptr;
    QLabel* lblThree = nullptr;
    QLabel* lblAllThree = nullptr;
    QGroupBox* Frame5 = nullptr;
    ui::LinkLabel* lblCobrand = nullptr;
    ui::LinkLabel* lblFullBrand = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdBack = nullptr;

    QAction* mnuBack = nullptr;
    QAction* mnuExit = nullptr;
    app::Shell* shell = nullptr;

private:
    std::array<int, 3> shown{4, 4, 4};
};

} // namespace reading
