#include "devicecommands.h"

#include "datagram.h"
#include "mac.h"
#include "simulator.h"

namespace {

QString hexText(const QByteArray &raw)
{
    return QString::fromLatin1(raw.toHex().toUpper());
}

void onBuzz(Simulator &, SimDevice &device, const Command &command)
{
    Simulator::log(QStringLiteral("buzz mac=%1 hex=%2").arg(Mac(device.identity.mac).toString(), hexText(command.raw)));
}

void onReset(Simulator &, SimDevice &device, const Command &command)
{
    const int kind = command.decoded.resetKind;
    Simulator::log(QStringLiteral("reset mac=%1 kind=%2 hex=%3")
                       .arg(Mac(device.identity.mac).toString(),
                            kind < 0 ? QStringLiteral("none") : QString::number(kind), hexText(command.raw)));
}

} // namespace

void registerDeviceCommands(Simulator &simulator)
{
    simulator.registerHandler(zn::OpBuzz, onBuzz);
    simulator.registerHandler(zn::OpReset, onReset);
}
