#pragma once

#include "reading/reading.h"
#include "ui/forms.h"

#include <array>

class QLabel;
class QPushButton;

namespace ui {
class PictureBox;
}

namespace reading {

// The reading window: three counts of the beads, their omens and what they mean. It draws
// itself from the program's reading.
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

    // Clears the reading and shows the window as before the first count.
    void ResetReading();

    // The picture number (1 to 4) box 0, 1 or 2 shows.
    int pictureShown(int box) const;

signals:
    // Back to the name-entry window.
    void backRequested();
    // The window is closing.
    void leaving();

private:
    void showReading();
    void showPicture(int box, int picture);

    Reading& reading;
    std::array<ui::PictureBox*, 3> picBeads{};
    std::array<QLabel*, 3> lblAnimal{};
    std::array<QLabel*, 3> lblInterpretation{};
    QLabel* lblAllThree = nullptr;
    QPushButton* cmdBeads = nullptr;
    QPushButton* cmdBack = nullptr;
    std::array<int, 3> shown{kQuestionMark, kQuestionMark, kQuestionMark};
};

} // namespace reading
