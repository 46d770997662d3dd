// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/controlpictures.h"

#include <QFontInfo>
#include <QStringList>

namespace controlpictures {

QFont withPictures(const QFont &base)
{
    QFont font = base;
    // The family actually matched ("DejaVu Sans Mono" for the alias "monospace"): a family list
    // is tried name by name, and an alias first would let the system's own fallback decide.
    font.setFamilies({QFontInfo(base).family(), QString::fromLatin1(fontFamily)});
    return font;
}

} // namespace controlpictures
