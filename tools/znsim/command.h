// What a device command handler gets: the decoded datagram, its raw bytes and
// where it came from. Handlers are registered per opcode with the Simulator,
// so each family of commands (buzz and reset, configuration transfer) lives in
// a file of its own.
#pragma once

#include <QByteArray>
#include <QHostAddress>

#include <functional>

namespace zn {
struct DecodedDatagram;
}

class Simulator;
struct SimDevice;

struct Destination {
    QHostAddress address;
    quint16 port = 0;
};

struct Command {
    const zn::DecodedDatagram &decoded;
    const QByteArray &raw; // valid only during the handler call
    Destination from;
};

using CommandHandler = std::function<void(Simulator &simulator, SimDevice &device, const Command &command)>;
