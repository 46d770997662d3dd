// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/captionlabel.h"

#include "widgets/displaylines.h"

void CaptionLabel::setCaption(const QString &caption)
{
    caption_ = caption;
    setText(displayLines(caption));
}
