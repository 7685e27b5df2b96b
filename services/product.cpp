#include "services/product.h"

namespace services {

QIcon applicationIcon()
{
    // Each size is decoded at start and sent to the window system with every window: only these.
    static const QIcon icon = [] {
        QIcon sizes;
        for (int size : {16, 24, 32, 48, 64})
            sizes.addFile(QStringLiteral(":/assets/icon-%1.png").arg(size), QSize(size, size));
        return sizes;
    }();
    return icon;
}

} // namespace services
