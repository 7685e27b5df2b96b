#pragma once

#include "ui/look.h"

#include <QLabel>
#include <QRect>

namespace ui {

// A label that acts as a web link: link colours are up to the caller, the hand pointer is its
// own, and one click, or one double click, reports one activation. Tab reaches it, a dotted
// frame in its text colour shows the focus, and Enter or Space activates it as a click does.
class LinkLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LinkLabel)

public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);
    ~LinkLabel() override;

signals:
    void clicked();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool pressed = false;
    bool secondClickOfDouble = false;
};

LinkLabel* addLinkLabel(QWidget* parent, const char* name, QRect twips, const QString& caption,
                        const Look& look);

// Two link labels in one place: the front one is seen, clicked and reached by Tab; the one
// behind it by none of these.
void bringToFront(LinkLabel& front, LinkLabel& behind);

} // namespace ui
