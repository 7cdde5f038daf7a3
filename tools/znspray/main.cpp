// znspray: sends hostile datagrams to the scanner's port for a while, from
// inside a private network namespace of tools/netns/znnet-run only.
#include "commandline.h"
#include "datagram.h"
#include "hostiledatagrams.h"
#include "mac.h"
#include "networkguard.h"
#include "seededrandom.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUdpSocket>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    zn::CommandLine command(
        QStringLiteral("znspray"), QStringLiteral("[options]"),
        QStringLiteral("Sends malformed, truncated, oversized, wrongly checksummed and absurd datagrams to\n"
                       "UDP port 65533 of ADDRESS (and, one in four, as a broadcast) for MS milliseconds,\n"
                       "most from port 65533. Refuses outside a private network namespace (exit status 3).\n"
                       "Prints how many it sent."),
        zn::CommandLine::Program);
    const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("The scanner's address."), QStringLiteral("ADDRESS"));
    const QCommandLineOption duration(QStringLiteral("duration"), QStringLiteral("How long (default 3000)."),
                                      QStringLiteral("MS"), QStringLiteral("3000"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the stream (default 1)."),
                                  QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption macOption(QStringLiteral("mac"), QStringLiteral("A MAC the datagrams name (repeatable)."),
                                       QStringLiteral("MAC"));
    command.parser().addOptions({to, duration, seed, macOption});
    if (const auto exit = command.parse(QCoreApplication::arguments()))
        return *exit;
    const QHostAddress target(command.parser().value(to));
    bool durationOk = false;
    const int durationMs = command.parser().value(duration).toInt(&durationOk);
    QList<uint64_t> macs{0x02BAD0000001, 0x02BAD0000002};
    for (const QString &text : command.parser().values(macOption)) {
        Mac mac;
        if (!Mac::parse(text, &mac))
            return command.usageError(QStringLiteral("Bad MAC address: %1").arg(text));
        macs << mac.value();
    }
    if (target.protocol() != QAbstractSocket::IPv4Protocol || !durationOk || durationMs < 0)
        return command.usageError(QStringLiteral("--to wants an IPv4 address, --duration milliseconds."));
    QString why;
    if (!insideHarnessNamespace(&why)) {
        std::fprintf(stderr, "znspray: refusing to send outside a private network namespace (%s)\n", qPrintable(why));
        return 3;
    }

    QUdpSocket fromScanPort;
    QUdpSocket fromElsewhere;
    if (!fromScanPort.bind(QHostAddress::AnyIPv4, zn::kScanPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)
        || !fromElsewhere.bind(QHostAddress::AnyIPv4, 0)) {
        std::fprintf(stderr, "znspray: cannot bind: %s\n", qPrintable(fromScanPort.errorString()));
        return 2;
    }
    SeededRandom random(command.parser().value(seed).toULongLong());
    QElapsedTimer clock;
    clock.start();
    quint64 sent = 0;
    while (clock.elapsed() < durationMs) {
        const QByteArray datagram = hostileDatagram(random, macs);
        QUdpSocket &socket = random.oneIn(8) ? fromElsewhere : fromScanPort;
        const QHostAddress &address = random.oneIn(4) ? QHostAddress(QHostAddress::Broadcast) : target;
        // A full send buffer (ENOBUFS) drops the datagram, as a flooded link would.
        sent += socket.writeDatagram(datagram, address, zn::kScanPort) >= 0 ? 1 : 0;
    }
    std::printf("sent %llu datagrams\n", static_cast<unsigned long long>(sent));
    return 0;
}
