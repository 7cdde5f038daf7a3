// znsim: a network of simulated controllers for the scanner's tests, run only
// inside the private namespaces of tools/netns/znnet-run.
#include "commandline.h"
#include "configpeer.h"
#include "configpeeroptions.h"
#include "datagram.h"
#include "devicecommands.h"
#include "devicelist.h"
#include "networkguard.h"
#include "simulator.h"
#include "terminationwatcher.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <limits>

namespace {

enum ExitCode { ExitOk = 0, ExitUsage = 2, ExitRefused = 3 };

int fail(int code, const QString &message)
{
    std::fprintf(stderr, "znsim: %s\n", qPrintable(message));
    return code;
}

bool parseNumber(const QCommandLineParser &parser, const QString &name, qint64 max, qint64 *value)
{
    bool ok = false;
    *value = parser.value(name).toLongLong(&ok);
    return ok && *value >= 0 && *value <= max;
}

struct NumberOption {
    const char *name;
    qint64 max;
    qint64 *value;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("znsim"));

    zn::CommandLine command(
        QStringLiteral("znsim"), QStringLiteral("[options]"),
        QStringLiteral("Simulates Zentra controllers on UDP port 65533. Runs only inside tools/netns/znnet-run.\n"
                       "Device keys: mac ip netmask gateway networkMode developmentMode board cpu serial made\n"
                       "versionS versionD boardName remark badcrc. MAC values may be short: 7 is 02:5A:4E:00:00:07.\n"
                       "Every device also serves and takes its configuration registry (download and upload).\n"
                       "Exit status: 0 done; 2 usage error or failure to start (bad devices, no socket); 3 refused\n"
                       "outside a private network namespace."),
        zn::CommandLine::Program);
    QCommandLineParser &parser = command.parser();
    parser.addOptions({
        {QStringLiteral("device"), QStringLiteral("A device as key=value,... (repeatable)."), QStringLiteral("spec")},
        {QStringLiteral("devices"), QStringLiteral("Devices from a JSON array (the --print-devices format)."),
         QStringLiteral("file")},
        {QStringLiteral("count"), QStringLiteral("Generate N devices from 02:5A:4E:ss:00:01 up, ss = seed % 256."), QStringLiteral("N"),
         QStringLiteral("0")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the generated identities, delays and faults (default 1)."), QStringLiteral("S"),
         QStringLiteral("1")},
        {QStringLiteral("spread"), QStringLiteral("Answer delays are random in [0, MS] (default 200)."), QStringLiteral("MS"),
         QStringLiteral("200")},
        {QStringLiteral("reply"), QStringLiteral("broadcast (default) or unicast to the requester."),
         QStringLiteral("mode"), QStringLiteral("broadcast")},
        {QStringLiteral("corrupt-crc"), QStringLiteral("That device's datagrams carry a wrong checksum (repeatable)."),
         QStringLiteral("mac")},
        {QStringLiteral("send-raw"), QStringLiteral("Broadcast these bytes once after start (repeatable)."),
         QStringLiteral("hex")},
        {QStringLiteral("raw-from-port"), QStringLiteral("Source port of the --send-raw datagrams (default 65533)."),
         QStringLiteral("port"), QString::number(zn::kScanPort)},
        {QStringLiteral("duration"), QStringLiteral("Stop after MS milliseconds (default 10000; 0: only on a signal)."),
         QStringLiteral("MS"), QStringLiteral("10000")},
        {QStringLiteral("print-devices"), QStringLiteral("Print the devices as JSON and exit; sends nothing.")},
    });
    parser.addOptions(configPeerCommandLineOptions());
    if (const auto exit = command.parse(QCoreApplication::arguments()))
        return *exit;

    qint64 count = 0, seed = 0, spread = 0, rawPort = 0, duration = 0;
    const NumberOption numbers[] = {
        {"count", 0xFFFFFF, &count}, {"seed", std::numeric_limits<qint64>::max(), &seed},
        {"spread", 600000, &spread}, {"raw-from-port", 65535, &rawPort},
        {"duration", std::numeric_limits<int>::max(), &duration},
    };
    for (const NumberOption &option : numbers) {
        if (!parseNumber(parser, QLatin1String(option.name), option.max, option.value))
            return command.usageError(QStringLiteral("Bad --%1 value.").arg(QLatin1String(option.name)));
    }
    const QString reply = parser.value(QStringLiteral("reply"));
    if (reply != QLatin1String("broadcast") && reply != QLatin1String("unicast"))
        return command.usageError(QStringLiteral("--reply must be broadcast or unicast."));
    QList<QByteArray> rawDatagrams;
    for (const QString &hex : parser.values(QStringLiteral("send-raw"))) {
        const auto decoded = QByteArray::fromHex(hex.toLatin1());
        if (decoded.isEmpty() || decoded.toHex().compare(hex.toLatin1(), Qt::CaseInsensitive) != 0)
            return command.usageError(QStringLiteral("--send-raw wants an even number of hex digits: %1").arg(hex));
        rawDatagrams.append(decoded);
    }

    ConfigPeer::Options transfer;
    transfer.seed = quint64(seed);
    QString error;
    if (!configPeerOptionsFromCommandLine(parser, &transfer, &error))
        return command.usageError(error);

    DeviceListSources sources;
    sources.file = parser.value(QStringLiteral("devices"));
    sources.specs = parser.values(QStringLiteral("device"));
    sources.count = int(count);
    sources.seed = quint64(seed);
    sources.corruptMacs = parser.values(QStringLiteral("corrupt-crc"));
    QList<SimDevice> devices;
    if (!buildDeviceList(sources, &devices, &error))
        return fail(ExitUsage, error);

    if (parser.isSet(QStringLiteral("print-devices"))) {
        const QByteArray json = devicesToJson(devices);
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
        return ExitOk;
    }
    if (!insideHarnessNamespace(&error))
        return fail(ExitRefused, QStringLiteral("refusing to send outside a private network namespace (%1); "
                                                "run it through tools/netns/znnet-run")
                                     .arg(error));

    Simulator::Options options;
    options.spreadMs = int(spread);
    options.replyUnicast = reply == QLatin1String("unicast");
    options.seed = quint64(seed);
    Simulator simulator(devices, options);
    registerDeviceCommands(simulator);
    ConfigPeer configPeer(simulator, devices, transfer);
    if (!configPeer.start(&error))
        return fail(ExitUsage, error);
    if (!simulator.bind(&error))
        return fail(ExitUsage, error);
    TerminationWatcher watcher;
    if (!watcher.install())
        return fail(ExitUsage, QStringLiteral("cannot watch for termination signals"));
    for (const QByteArray &raw : rawDatagrams) {
        if (!simulator.sendRaw(raw, quint16(rawPort), &error))
            return fail(ExitUsage, QStringLiteral("--send-raw: %1").arg(error));
        Simulator::log(QStringLiteral("sent raw len=%1").arg(raw.size()));
    }
    if (duration > 0)
        QTimer::singleShot(int(duration), &app, &QCoreApplication::quit);
    Simulator::log(QStringLiteral("bound port=%1 devices=%2").arg(zn::kScanPort).arg(devices.size()));
    Simulator::log(QStringLiteral("ready"));
    return app.exec();
}
