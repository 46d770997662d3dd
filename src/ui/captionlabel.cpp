#include "ui/captionlabel.h"

void CaptionLabel::setCaption(const QString &caption)
{
    caption_ = caption;
    QString shown = caption;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setText(shown);
}
