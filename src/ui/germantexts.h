#pragma once
// The few texts that Qt itself puts into the program's boxes, in German. Debian's Qt
// ships its German translation in a separate package that a technician's machine may lack,
// and a German program should not show "Show Details..." in its own boxes.

#include <QTranslator>

class GermanQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *disambiguation = nullptr,
                      int n = -1) const override;
};
