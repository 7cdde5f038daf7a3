// The engine under a spray of hostile datagrams (tools/znspray: every size
// limit, truncated and wrongly checksummed frames, absurd records, transfer
// blocks nobody asked for) while it scans: its event loop keeps running, its
// memory stays flat, and afterwards it still discovers the simulated devices
// and transfers a configuration byte for byte. ZN_SPRAY_MS sets how long each
// of the two sprays lasts (default 1500); the figures are printed.
#include "devicefiles.h"
#include "messagelines.h"
#include "privatenetwork.h"
#include "scanclientitem.h"
#include "scanserver.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <limits>
#include <malloc.h>

namespace {

const QString kFirst = QStringLiteral("02:5A:4E:09:00:01");
const QString kSecond = QStringLiteral("02:5A:4E:09:00:02");

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the program holds on the heap: unlike its resident size, not blurred
// by freed memory that the allocator keeps.
qint64 heapInUseKiB()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd) / 1024;
}

} // namespace

class TestHostileNetwork : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_devices; // its log goes to a file: a pipe nobody reads would grow with it
    ScanServer m_server;
    QByteArray m_registry; // a registry for the round trip, as the spray cannot have touched it

    // Sprays while the engine scans once a second; the longest the event loop
    // stalled, in ms (the maximum when the sprayer never ended).
    qint64 spray(int ms)
    {
        QProcess sprayer;
        sprayer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sprayer.start(qEnvironmentVariable("ZNNET_EXEC"),
                      {"1", qEnvironmentVariable("ZNSPRAY"), "--to", "10.201.1.1", "--duration", QString::number(ms),
                       "--mac", kFirst, "--mac", kSecond});
        QElapsedTimer sinceTick;
        qint64 stall = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { stall = std::max(stall, sinceTick.restart()); });
        QTimer scan;
        connect(&scan, &QTimer::timeout, &m_server, &ScanServer::scanClients);
        sinceTick.start();
        tick.start(10);
        scan.start(1000);
        if (!QTest::qWaitFor([&] { return sprayer.state() == QProcess::NotRunning; }, ms + 10000))
            return std::numeric_limits<qint64>::max();
        qInfo("%s in %d ms, longest stall %lld ms", sprayer.readAllStandardOutput().trimmed().constData(), ms, stall);
        return stall;
    }

private Q_SLOTS:
    void initTestCase()
    {
        ZN_REQUIRE_PRIVATE_NETWORK();
        QVERIFY(m_dir.isValid());
        const QString log = m_dir.filePath(QStringLiteral("znsim.log"));
        m_devices.setStandardOutputFile(log);
        m_devices.start(qEnvironmentVariable("ZNNET_EXEC"),
                        {"1", qEnvironmentVariable("ZNSIM"), "--count", "2", "--seed", "9", "--duration", "0",
                         "--spread", "50", "--save-dir", m_dir.path()});
        QTRY_VERIFY_WITH_TIMEOUT(contents(log).contains("\nready\n"), 10000);
        m_registry = withDefaults(blobOfFile(deviceFile(m_dir.path(), kSecond)));
        QVERIFY(!m_registry.isEmpty());
        m_server.start();
        QVERIFY(m_server.isStarted());
    }

    void cleanupTestCase()
    {
        m_devices.terminate();
        m_devices.waitForFinished(5000);
    }

    void sprayNeitherStallsNorGrows()
    {
        const int ms = qEnvironmentVariableIsSet("ZN_SPRAY_MS") ? qEnvironmentVariableIntValue("ZN_SPRAY_MS") : 1500;
        QVERIFY(spray(ms) < 1000);
        const qint64 heapBefore = heapInUseKiB();
        QVERIFY(spray(ms) < 1000);
        const qint64 heapAfter = heapInUseKiB();
        qInfo("heap in use after the first spray and the second: %lld and %lld KiB", heapBefore, heapAfter);
#if !defined(__SANITIZE_ADDRESS__) // its quarantine holds on to freed memory
        QVERIFY2(heapAfter - heapBefore < 1024, "the heap grew by more than 1 MiB");
#endif
    }

    void devicesStillFoundAndTransferred()
    {
        MessageLines log(&m_server);
        m_server.scanClients();
        for (const QString &mac : {kFirst, kSecond})
            QTRY_VERIFY_WITH_TIMEOUT(!log.messages().filter(QStringLiteral("[Scan] Discover: mac=") + mac).isEmpty(),
                                     3000);

        // The spray may have left the devices' registries half written: a
        // round trip from a known one.
        ScanClientItem device;
        Mac::parse(kFirst, &device.info.mac);
        device.registry.assign(m_registry);
        m_server.saveClientRegistry(&device, device.registry);
        QTRY_COMPARE(blobOfFile(deviceFile(m_dir.path(), kFirst)), m_registry);

        device.registry = ScanClientRegistry();
        QSignalSpy loaded(&m_server, &ScanServer::clientRegistryLoadComplete);
        m_server.loadClientRegistry(&device);
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 5000);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(device.registry.data()), device.registry.size()), m_registry);
    }
};

QTEST_GUILESS_MAIN(TestHostileNetwork)
#include "tst_hostilenetwork.moc"
