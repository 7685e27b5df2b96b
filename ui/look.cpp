#include "ui/look.h"

namespace ui {

QString displayedCaption(const QString& caption)
{
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&' && i + 1 < caption.size())
            ++i;
        shown.append(caption.at(i));
    }
    return shown;
}

} // namespace ui
