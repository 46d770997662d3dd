#include "ui/captionlabel.h"

#include "shared/displaylines.h"

void CaptionLabel::setCaption(const QString &caption)
{
    caption_ = caption;
    setText(displayLines(caption));
}
