// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A label that keeps its caption exactly as the program set it (lines separated by a
// lone CR) and shows it with real line breaks, which QLabel needs.

#include <QLabel>

class CaptionLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    void setCaption(const QString &caption);
    QString caption() const { return caption_; }

private:
    QString caption_;
};
