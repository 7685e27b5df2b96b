#include "ui/messagebox.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>

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

} // namespace

MsgAnswer MsgBox(const QString& title, const QString& text, MsgButtons buttons, MsgIcon icon)
{
    if (const auto& h = handler())
        return h({text, buttons, icon});

    const auto qIcon = icon == MsgIcon::Error ? QMessageBox::Critical : QMessageBox::Information;
    const auto qButtons = buttons == MsgButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
    // Owned by the active window so that it opens over it, also over a window kept on top.
    QPointer<QMessageBox> box =
        new QMessageBox(qIcon, title, shownText(text), qButtons, QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->setWindowModality(Qt::ApplicationModal);
    box->setTextFormat(Qt::PlainText);
    // A screen reader says what kind of message it is, as the picture shows it.
    if (auto* picture = box->findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label")))
        picture->setAccessibleName(icon == MsgIcon::Error ? QStringLiteral("error")
                                                          : QStringLiteral("information"));
    box->setDefaultButton(buttons == MsgButtons::YesNo ? QMessageBox::Yes : QMessageBox::Ok);
    if (buttons == MsgButtons::YesNo)
        box->setEscapeButton(QMessageBox::No);
    const int result = box->exec();
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
