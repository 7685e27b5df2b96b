#pragma once

#include <QDialog>

class QPushButton;

namespace ui {
class LinkLabel;
}

namespace services {

// The About window: name, version, a word on the oracle and two links. Shown modal; closing
// it discards it, so every opening builds it afresh.
class frmAbout final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAbout)

public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    void reject() override;

private:
    void setUpWindow();
    void createTexts();
    void createLinksAndOffer();
    void createButton();
    void setUpKeyboard();

    void cmdOK_Click();
    void lblHomePage_Click();
    void lblCoBrand_Click();

    QPushButton* cmdOK = nullptr;
    ui::LinkLabel* lblHomePage = nullptr;
    ui::LinkLabel* lblCoBrand = nullptr;
};

// Opens the About window modal over the active window and returns once it is closed.
void showAboutWindow();

} // namespace services
