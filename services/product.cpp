#include "services/product.h"

#include "services/identity.h"
#include "ui/picture.h"

namespace services {

QString windowCaption()
{
    return QString::fromUtf8(identity::kCaption);
}

QString appTitle()
{
    return QString::fromUtf8(identity::kTitle);
}

ui::Look linkLook(Qt::Alignment align)
{
    return {.bold = true, .underline = true, .fore = colours::lightBlue, .align = align};
}

ui::MsgAnswer MsgBox(const QString& text, ui::MsgButtons buttons, ui::MsgIcon icon, const QString& address)
{
    return ui::showMessageBox(appTitle(), text, buttons, icon, address);
}

QIcon applicationIcon()
{
    // Each size is decoded at start and sent to the window system with every window: only these.
    static const QIcon icon = [] {
        QIcon sizes;
        for (int size : {16, 24, 32, 48, 64})
            sizes.addPixmap(
                QPixmap::fromImage(ui::readPicture(QStringLiteral(":/assets/icon-%1.pam").arg(size))));
        return sizes;
    }();
    return icon;
}

} // namespace services
