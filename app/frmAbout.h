#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace ui {
class LinkLabel;
}

namespace app {

// The About window: name, version, a word on the oracle and two links. Shown modal; closing
// it discards it, so every opening builds it afresh.
class frmAbout final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAbout)

public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    void cmdOK_Click();
    void lblHomePage_Click();
    void lblCoBrand_Click();
    void reject() override;

    QPushButton* cmdOK = nullptr;
    QLabel* picIcon = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    ui::LinkLabel* lblCoBrand = nullptr;
    QLabel* Label3 = nullptr;
    ui::LinkLabel* lblHomePage = nullptr;
    QWidget* Line1 = nullptr;
};

// Opens the About window modal over the active window and returns once it is closed.
void showAboutWindow();

} // namespace app
