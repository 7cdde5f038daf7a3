// Configuration transfer timings on the simulated network: single 4096-byte
// downloads and uploads without loss, then with 10 % and 30 % of the
// datagrams lost in each direction (median and worst), then 100 transfers to
// 100 devices at once, checked byte for byte (none may be mixed up).
// Runs inside tools/netns/znnet-run (one segment); the simulator runs in the
// segment's namespace.
#include "devicefiles.h"
#include "scanclientitem.h"
#include "scanserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

struct Simulator {
    QProcess process;

    bool start(const QStringList &args)
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(qEnvironmentVariable("ZNNET_EXEC"),
                      QStringList{"1", qEnvironmentVariable("ZNSIM"), "--duration", "0"} + args);
        QByteArray log;
        while (!log.contains("\nready\n") && process.waitForReadyRead(5000))
            log += process.readAll();
        return log.contains("\nready\n");
    }
    ~Simulator()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
};

QString deviceMac(int seed, int n)
{
    return QStringLiteral("02:5A:4E:%1:%2:%3")
        .arg(seed, 2, 16, QLatin1Char('0'))
        .arg(n >> 8, 2, 16, QLatin1Char('0'))
        .arg(n & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

QByteArray registryBytes(const ScanClientItem &item)
{
    return QByteArray(reinterpret_cast<const char *>(item.registry.data()), qsizetype(item.registry.size()));
}

// Ends of transfers as the server reports them.
struct Ends {
    int completed = 0;
    int failed = 0;
    QObject connections; // they end with this
    int count() const { return completed + failed; }

    explicit Ends(ScanServer &server)
    {
        for (const auto complete : {&ScanServer::clientRegistryLoadComplete, &ScanServer::clientRegistrySaveComplete})
            QObject::connect(&server, complete, &connections, [this] { ++completed; });
        for (const auto fail : {&ScanServer::clientRegistryLoadError, &ScanServer::clientRegistrySaveError})
            QObject::connect(&server, fail, &connections, [this] { ++failed; });
    }
};

// Runs the event loop until count transfers have ended (QTest::qWaitFor
// would sleep 10 ms between looks and distort the times).
bool waitFor(ScanServer &server, const Ends &ends, int count, int timeoutMs)
{
    QEventLoop loop;
    const auto check = [&] {
        if (ends.count() >= count)
            loop.quit();
    };
    for (const auto end : {&ScanServer::clientRegistryLoadComplete, &ScanServer::clientRegistrySaveComplete})
        QObject::connect(&server, end, &loop, check, Qt::QueuedConnection);
    for (const auto end : {&ScanServer::clientRegistryLoadError, &ScanServer::clientRegistrySaveError})
        QObject::connect(&server, end, &loop, check, Qt::QueuedConnection);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (ends.count() < count)
        loop.exec();
    return ends.count() >= count;
}

// Alternating downloads and uploads of one device; the time of each in ms.
QList<double> timeTransfers(ScanServer &server, ScanClientItem *item, int count, int *failures)
{
    Ends ends(server);
    QList<double> times;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer clock;
        clock.start();
        if (i % 2 == 0)
            server.loadClientRegistry(item);
        else
            server.saveClientRegistry(item, item->registry);
        if (!waitFor(server, ends, i + 1, 30000))
            break;
        times << double(clock.nsecsElapsed()) / 1e6;
    }
    *failures = ends.failed + (count - int(times.size()));
    return times;
}

void printTimes(const char *what, QList<double> times, int failures)
{
    std::sort(times.begin(), times.end());
    const double median = times.isEmpty() ? -1 : times[times.size() / 2];
    const double worst = times.isEmpty() ? -1 : times.last();
    std::printf("%-34s %6d %10.2f %10.2f %8d\n", what, int(times.size()), median, worst, failures);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("ZN_NETNS") || qEnvironmentVariableIsEmpty("ZNSIM")
        || qEnvironmentVariableIsEmpty("ZNNET_EXEC")) {
        std::fprintf(stderr, "run through bench/transfer/run-transfer-bench.sh (needs the private network harness)\n");
        return 2;
    }
    const int runs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 40;
    ScanServer server;
    server.start();
    if (!server.isStarted())
        return 1;

    std::printf("%-34s %6s %10s %10s %8s\n", "transfers of 4096 bytes", "runs", "median ms", "worst ms", "failed");
    struct Phase {
        const char *name;
        const char *loss;
    };
    for (const Phase &phase : {Phase{"no loss", "0"}, Phase{"10 % loss each way", "10"}, Phase{"30 % loss each way", "30"}}) {
        Simulator simulator;
        if (!simulator.start({"--count", "1", "--seed", "1", "--loss", phase.loss})) {
            std::fprintf(stderr, "the simulator did not start\n");
            return 1;
        }
        ScanClientItem item;
        Mac::parse(deviceMac(1, 1), &item.info.mac);
        int failures = 0;
        const QList<double> times = timeTransfers(server, &item, 2 * runs, &failures);
        QList<double> downloads, uploads;
        for (qsizetype i = 0; i < times.size(); ++i)
            (i % 2 == 0 ? downloads : uploads) << times[i];
        printTimes(qPrintable(QStringLiteral("download, %1").arg(QLatin1String(phase.name))), downloads, failures);
        printTimes(qPrintable(QStringLiteral("upload, %1").arg(QLatin1String(phase.name))), uploads, failures);
    }

    // 100 devices at once: the first half download, the second half upload
    // the registry of a device of the first half, renamed.
    constexpr int kDevices = 100;
    QTemporaryDir dir;
    Simulator simulator;
    if (!dir.isValid() || !simulator.start({"--count", QString::number(kDevices), "--seed", "2", "--save-dir", dir.path()}))
        return 1;
    std::vector<std::unique_ptr<ScanClientItem>> items;
    QList<QByteArray> uploaded;
    for (int n = 1; n <= kDevices; ++n) {
        items.push_back(std::make_unique<ScanClientItem>());
        Mac::parse(deviceMac(2, n), &items.back()->info.mac);
    }
    Ends ends(server);
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < kDevices; ++n) {
        if (n < kDevices / 2) {
            server.loadClientRegistry(items[size_t(n)].get());
            continue;
        }
        uploaded << withDefaults(blobOfFile(deviceFile(dir.path(), deviceMac(2, n + 1 - kDevices / 2))));
        ScanClientRegistry registry;
        registry.assign(uploaded.last());
        server.saveClientRegistry(items[size_t(n)].get(), registry);
    }
    waitFor(server, ends, kDevices, 60000);
    const double allMs = double(clock.nsecsElapsed()) / 1e6;
    QTest::qWait(200); // the devices write their files
    int mixedUp = 0;
    for (int n = 0; n < kDevices; ++n) {
        const QByteArray expected = n < kDevices / 2 ? withDefaults(blobOfFile(deviceFile(dir.path(), deviceMac(2, n + 1))))
                                                     : uploaded[n - kDevices / 2];
        const QByteArray got = n < kDevices / 2 ? registryBytes(*items[size_t(n)])
                                                : blobOfFile(deviceFile(dir.path(), deviceMac(2, n + 1)));
        mixedUp += got != expected;
    }
    std::printf("\n%d transfers to %d devices at once (%d downloads, %d uploads): %d completed, %d failed, "
                "%d mixed up, all done in %.1f ms\n",
                kDevices, kDevices, kDevices / 2, kDevices / 2, ends.completed, ends.failed, mixedUp, allMs);
    return ends.completed == kDevices && mixedUp == 0 ? 0 : 1;
}
