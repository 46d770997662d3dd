// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/lineviewformat.h"

#include "unit/cp1252.h"
#include "unit/files/recordformat.h"
#include "unit/hexdump.h"
#include "unit/localtimetext.h"

#include <QByteArray>

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

QString toolTip(const char *bytes, int length, qint64 addedMSecsSinceEpoch)
{
    QString tip = LocalTimeText::timeOfDayText(addedMSecsSinceEpoch) + QLatin1Char('\n')
                  + (length == 1 ? QStringLiteral("1 Byte") : QStringLiteral("%1 Bytes").arg(length));
    if (length > 0)
        tip += QLatin1Char('\n') + hexDump(QByteArrayView(bytes, std::min(length, hexShown)), HexLayout{hexPerRow});
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
