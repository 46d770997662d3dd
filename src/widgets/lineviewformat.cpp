// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/lineviewformat.h"

#include "unit/cp1252.h"
#include "unit/files/recordformat.h"
#include "unit/hexdigit.h"

#include <QByteArray>
#include <QDateTime>

#include <algorithm>

namespace lineformat {
namespace {

// The tool tip shows this many bytes in hex, in rows of hexPerRow, so it stays narrow.
constexpr int hexShown = 64;
constexpr int hexPerRow = 16;

} // namespace

QString shownText(const char *bytes, int length)
{
    return cp1252::decodeForDisplay(QByteArray::fromRawData(bytes, length));
}

const char *controlName(unsigned char byte)
{
    static constexpr const char *names[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                              "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                              "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                              "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    if (byte < 0x20)
        return names[byte];
    return byte == 0x7F ? "DEL" : "";
}

qint64 columns(const char *bytes, int length)
{
    qint64 n = length;
    for (int i = 0; i < length; ++i)
        if (isControl(static_cast<unsigned char>(bytes[i])))
            n += controlCells - 1;
    return n;
}

QString timeOfDay(qint64 msecsSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString toolTip(const char *bytes, int length, qint64 addedMSecsSinceEpoch)
{
    QString tip = timeOfDay(addedMSecsSinceEpoch) + QLatin1Char('\n')
                  + (length == 1 ? QStringLiteral("1 Byte") : QStringLiteral("%1 Bytes").arg(length));
    const auto *unsignedBytes = reinterpret_cast<const unsigned char *>(bytes);
    const int shown = std::min(length, hexShown);
    for (int i = 0; i < shown; ++i) {
        tip += QLatin1Char(i % hexPerRow == 0 ? '\n' : ' ');
        tip += QLatin1Char(hexDigits[unsignedBytes[i] >> 4]);
        tip += QLatin1Char(hexDigits[unsignedBytes[i] & 0xF]);
    }
    if (length > hexShown)
        tip += QStringLiteral(" …");
    return tip;
}

char *TimeOfDayWriter::write(qint64 msecsSinceEpoch, char *out)
{
    return text_.writeTimeOfDay(msecsSinceEpoch, out);
}

char *writeFileLine(const char *bytes, int length, qint64 addedMSecsSinceEpoch, TimeOfDayWriter &time, char *out)
{
    out = time.write(addedMSecsSinceEpoch, out);
    *out++ = '\t';
    out = recordformat::writeField(bytes, std::size_t(length), out);
    *out++ = '\n';
    return out;
}

} // namespace lineformat
