#include "ui/messagebox.h"

#include "ui/windowing.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>

#include <algorithm>

namespace ui {
namespace {

std::function<MsgAnswer(const testing::MessageRequest&)>& handler()
{
    static std::function<MsgAnswer(const testing::MessageRequest&)> h;
    return h;
}

QString shownText(QString text)
{
    // Only a carriage return without a line feed after it becomes a break.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\r' && (i + 1 == text.size() || text.at(i + 1) != u'\n'))
            text[i] = u'\n';
    }
    text.remove(u'\r');
    return text;
}

// Read-only and one line whatever its length, so that a long address neither widens the box
// nor wraps where a copy would pick up the break; the keyboard reaches it by Tab.
void addAddressField(QMessageBox& box, const QString& address)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    auto* buttons = box.findChild<QDialogButtonBox*>();
    auto* text = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!grid || !buttons || !text)
        return;
    auto* field = new QLineEdit(address, &box);
    field->setObjectName(QStringLiteral("address"));
    field->setAccessibleName(QStringLiteral("address"));
    field->setReadOnly(true);
    field->setCursorPosition(0);
    // Wide enough to show the whole address where the screen has room; a longer one scrolls.
    // A line field's suggested width is 17 letters "x" plus its frame and margins.
    const QFontMetrics metrics = field->fontMetrics();
    const int chrome = field->sizeHint().width() - 17 * metrics.horizontalAdvance(u'x');
    const QScreen* screen = box.parentWidget() ? box.parentWidget()->screen() : box.screen();
    const int room = screen ? screen->availableGeometry().width() * 3 / 5 : 480;
    field->setMinimumWidth(std::min(metrics.horizontalAdvance(address) + chrome, room));
    int row = 0;
    int column = 0;
    int rowSpan = 0;
    int columnSpan = 0;
    grid->getItemPosition(grid->indexOf(text), &row, &column, &rowSpan, &columnSpan);
    int buttonRow = 0;
    int buttonColumn = 0;
    int buttonColumns = 0;
    grid->getItemPosition(grid->indexOf(buttons), &buttonRow, &buttonColumn, &rowSpan, &buttonColumns);
    // The buttons move down a row to make room under the text.
    grid->removeWidget(buttons);
    grid->addWidget(field, buttonRow, column, 1, columnSpan);
    grid->addWidget(buttons, buttonRow + 1, buttonColumn, 1, buttonColumns);
    QWidget::setTabOrder(field, buttons);
}

} // namespace

MsgAnswer showMessageBox(const QString& title, const QString& text, MsgButtons buttons, MsgIcon icon,
                         const QString& address)
{
    if (const auto& h = handler())
        return h({text, buttons, icon, address});

    const auto qIcon = icon == MsgIcon::Error ? QMessageBox::Critical : QMessageBox::Information;
    const auto qButtons = buttons == MsgButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
    // Owned by the active window so that it opens over it, also over a window kept on top.
    QPointer<QMessageBox> box = new QMessageBox(qIcon, title, shownText(text), qButtons, modalOwner());
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->setWindowModality(Qt::ApplicationModal);
    // With no window of ours to open over (a refused second start, the question at start-up),
    // it would open behind whatever is kept on top, our first instance's windows among them.
    if (!box->parentWidget())
        box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box->setTextFormat(Qt::PlainText);
    // A screen reader says what kind of message it is, as the picture shows it.
    if (auto* picture = box->findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label")))
        picture->setAccessibleName(icon == MsgIcon::Error ? QStringLiteral("error")
                                                          : QStringLiteral("information"));
    box->setDefaultButton(buttons == MsgButtons::YesNo ? QMessageBox::Yes : QMessageBox::Ok);
    if (!address.isEmpty())
        addAddressField(*box, address);
    if (buttons == MsgButtons::YesNo)
        box->setEscapeButton(QMessageBox::No);
    const int result = execModal(*box);
    delete box.data();
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    return result == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
}

namespace testing {
void setMessageBoxHandler(std::function<MsgAnswer(const MessageRequest&)> h)
{
    handler() = std::move(h);
}
} // namespace testing

} // namespace ui
