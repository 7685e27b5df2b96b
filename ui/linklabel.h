#pragma once

#include "ui/look.h"

#include <QRect>
#include <QString>
#include <QWidget>

namespace ui {

// A text that acts as a web link, drawn as a label draws its text: link colours are up to the
// caller, the hand pointer is its own, and one click, or one double click, reports one
// activation. Tab reaches it, a dotted frame in its text colour shows the focus, and Enter or
// Space activates it as a click does; a click leaves the focus where it was.
class LinkLabel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LinkLabel)
    Q_PROPERTY(QString text READ text CONSTANT)

public:
    LinkLabel(const QString& text, Qt::Alignment alignment, QWidget* parent = nullptr);
    ~LinkLabel() override;

    QString text() const { return caption; }
    Qt::Alignment alignment() const { return align; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    const QString caption;
    const Qt::Alignment align;
    bool pressed = false;
    bool secondClickOfDouble = false;
};

LinkLabel* addLinkLabel(QWidget* parent, const char* name, QRect twips, const QString& caption,
                        const Look& look);

// Two link labels in one place: the front one is seen, clicked and reached by Tab; the one
// behind it by none of these.
void bringToFront(LinkLabel& front, LinkLabel& behind);

} // namespace ui
