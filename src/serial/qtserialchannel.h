#pragma once
// TEMPORARY STUB
#include "serial/serialchannel.h"
#include <QObject>
class QtSerialChannel : public QObject, public SerialChannel {
public:
    void open(const PortSettings &) override {}
    void write(const QByteArray &) override {}
    std::optional<char> readChar() override { return {}; }
    std::optional<std::uint32_t> modemStatus() override { return {}; }
    void close() override {}
    void closeAll() override {}
    bool isOpen() const override { return false; }
};
