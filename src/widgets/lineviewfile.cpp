// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/lineviewfile.h"

#include "unit/files/completefile.h"
#include "widgets/lineviewformat.h"
#include "widgets/lineviewstore.h"

#include <vector>

bool saveLines(const LineStore &store, const QString &path, QString *errorText)
{
    CompleteFile file(path);
    const auto failed = [&] {
        if (errorText)
            *errorText = file.errorText();
        return false;
    };
    if (!file.open())
        return failed();

    // Formatting into one large buffer and writing it in few calls keeps a million lines well
    // under a second; per-line QString conversions would not.
    constexpr std::size_t chunk = std::size_t(1) << 20;
    std::vector<char> buffer(chunk + 4 * 1024);
    std::size_t used = 0;
    lineformat::TimeOfDayWriter time;
    for (int i = 0; i < store.count(); ++i) {
        const int length = store.length(i);
        const std::size_t worst = lineformat::maxFileLineSize(length);
        if (used + worst > buffer.size()) {
            if (used > 0 && !file.write(buffer.data(), used))
                return failed();
            used = 0;
            if (worst > buffer.size())
                buffer.resize(worst);
        }
        char *end = lineformat::writeFileLine(store.data(i), length, store.time(i), time, buffer.data() + used);
        used = std::size_t(end - buffer.data());
        if (used >= chunk) {
            if (!file.write(buffer.data(), used))
                return failed();
            used = 0;
        }
    }
    if (used > 0 && !file.write(buffer.data(), used))
        return failed();
    if (!file.commit())
        return failed();
    return true;
}
