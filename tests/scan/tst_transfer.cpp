// Configuration transfers of the engine with simulated controllers across a
// veth link: what reaches the device or the device record, the progress, how
// every kind of ending is reported, and robustness on a lossy link.
#include "devicefiles.h"
#include "messagelines.h"
#include "privatenetwork.h"
#include "scanclientitem.h"
#include "scanserver.h"
#include "simulatorprocess.h"
#include "store.h"
#include "testbytes.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

// A datagram the simulator holds back (--reorder) arrives within this time;
// without a transfer name in the protocol it would meet the next transfer.
constexpr int kLinkDrainMs = 120;

// The devices of `znsim --count 4 --seed 9`.
QString deviceMac(int n)
{
    return QStringLiteral("02:5A:4E:09:00:%1").arg(n, 2, 10, QLatin1Char('0'));
}

QByteArray registryBytes(const ScanClientItem &item)
{
    return QByteArray(reinterpret_cast<const char *>(item.registry.data()), qsizetype(item.registry.size()));
}

ScanClientRegistry registryOf(const QByteArray &blob)
{
    ScanClientRegistry registry;
    registry.assign(blob);
    return registry;
}

// The blob with its system name set to `name`.
QByteArray withSystemName(const QByteArray &blob, const QByteArray &name)
{
    QByteArray area = blob + QByteArray(4096 - blob.size(), '\0');
    zn::RegistryHandle *root = zn::reg_open(reinterpret_cast<uint8_t *>(area.data()), size_t(area.size()));
    zn::reg_set(zn::reg_create_section(root, 0xFFA70000), 0x03A70007, name.constData(), uint32_t(name.size()));
    const size_t used = zn::reg_used_size(root);
    zn::reg_close(root);
    return area.left(qsizetype(used));
}

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    ScanServer *server = nullptr;
    SimulatorProcess *devices = nullptr;
    QList<ScanClientItem *> items; // devices 1 to 4
    QStringList ends;              // "loaded MAC", "saved MAC", "load error TEXT", "save error TEXT"

    void startDevices(const QStringList &faults)
    {
        QVERIFY(devices->start(1, QStringList{"--count", "4", "--seed", "9", "--duration", "0", "--save-dir", m_dir.path()}
                                      + faults));
    }

    QByteArray deviceBlob(int n) const { return blobOfFile(deviceFile(m_dir.path(), deviceMac(n))); }

    // Runs one transfer to its end; its entry in `ends`.
    QString transfer(const std::function<void()> &start)
    {
        const qsizetype before = ends.size();
        start();
        if (!QTest::qWaitFor([&] { return ends.size() > before; }, 10000))
            return QStringLiteral("no end");
        return ends.size() == before + 1 ? ends.last() : QStringLiteral("several ends");
    }
    ScanClientItem *item(int n) const { return items[n - 1]; }
    QString load(int n) { return transfer([this, n] { server->loadClientRegistry(item(n)); }); }
    QString save(int n, const QByteArray &blob)
    {
        return transfer([this, n, blob] { server->saveClientRegistry(item(n), registryOf(blob)); });
    }

private Q_SLOTS:
    void initTestCase()
    {
        ZN_REQUIRE_PRIVATE_NETWORK();
        QVERIFY(m_dir.isValid());
    }

    void init()
    {
        server = new ScanServer();
        server->start();
        QVERIFY(server->isStarted());
        devices = new SimulatorProcess();
        items.clear();
        for (int n = 1; n <= 4; ++n) {
            items << new ScanClientItem(server);
            QVERIFY(Mac::parse(deviceMac(n), &items.last()->info.mac));
        }
        ends.clear();
        connect(server, &ScanServer::clientRegistryLoadComplete, this,
                [this](ScanClientItem *cli) { ends << "loaded " + cli->info.mac.toString(); });
        connect(server, &ScanServer::clientRegistrySaveComplete, this,
                [this](ScanClientItem *cli) { ends << "saved " + cli->info.mac.toString(); });
        connect(server, &ScanServer::clientRegistryLoadError, this,
                [this](ScanClientItem *, const QString &text) { ends << "load error " + text; });
        connect(server, &ScanServer::clientRegistrySaveError, this,
                [this](ScanClientItem *, const QString &text) { ends << "save error " + text; });
    }

    void cleanup()
    {
        delete devices;
        delete server;
    }

    void uploadSendsTheWholeAreaInFourBlocks()
    {
        startDevices({});
        const QByteArray blob = withSystemName(hex("ffffffff 00000000"), QByteArray(276, 'n'));
        QSignalSpy progress(server, &ScanServer::clientRegistryProgress);
        MessageLines log(server);
        QCOMPARE(save(1, blob), "saved " + deviceMac(1));
        QCOMPARE(log.messages().first(), "[Scan] Upload 300 config bytes to " + deviceMac(1));
        QList<int> percents;
        for (const QList<QVariant> &signal : progress)
            percents << signal.at(1).toInt();
        QCOMPARE(percents, (QList<int>{30, 61, 92, 99, -1}));
        QSet<QString> blocks;
        for (const QString &line : devices->lines().filter("transfer op=6 mac=" + deviceMac(1)))
            blocks << line.section(QStringLiteral("offset="), 1);
        QCOMPARE(blocks, (QSet<QString>{"0", "1280", "2560", "3840"}));
        QTRY_COMPARE(deviceBlob(1), blob);
    }

    // A final block sent before the first must not complete the download with
    // zeros in front of it.
    void downloadTakesNoBlockBeyondTheBytesReceived()
    {
        startDevices({"--stale-first", deviceMac(2)});
        QCOMPARE(load(2), "loaded " + deviceMac(2));
        QCOMPARE(registryBytes(*item(2)), withDefaults(deviceBlob(2)));
    }

    void fiftyTransfersOverALossyLink()
    {
        startDevices({"--loss", "20", "--duplicate", "20", "--reorder", "20"});
        const QByteArray original = withDefaults(deviceBlob(3));
        for (int round = 0; round < 25; ++round) {
            const QByteArray blob = withSystemName(original, QByteArray(round * 37 % 300 + 1, char('a' + round % 26)));
            QCOMPARE(save(3, blob), "saved " + deviceMac(3));
            QTest::qWait(kLinkDrainMs);
            QCOMPARE(load(3), "loaded " + deviceMac(3));
            QTest::qWait(kLinkDrainMs);
            QCOMPARE(registryBytes(*item(3)), blob);
        }
    }

    void severalDevicesAtOnce()
    {
        startDevices({"--delay", "3", "--reorder", "30"});
        const QByteArray blob3 = withSystemName(deviceBlob(3), "third");
        const QByteArray blob4 = withSystemName(deviceBlob(4), "fourth");
        server->loadClientRegistry(item(1));
        server->saveClientRegistry(item(3), registryOf(blob3));
        server->loadClientRegistry(item(2));
        server->saveClientRegistry(item(4), registryOf(blob4));
        QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 4, 10000);
        ends.sort();
        QCOMPARE(ends, (QStringList{"loaded " + deviceMac(1), "loaded " + deviceMac(2), "saved " + deviceMac(3),
                                    "saved " + deviceMac(4)}));
        QCOMPARE(registryBytes(*item(1)), withDefaults(deviceBlob(1)));
        QCOMPARE(registryBytes(*item(2)), withDefaults(deviceBlob(2)));
        QTRY_COMPARE(deviceBlob(3), blob3);
        QTRY_COMPARE(deviceBlob(4), blob4);
    }

    // The failure signal comes first, then one red line with the same text.
    void failuresEndWithTheirText_data()
    {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("atLeastMs");
        const QString mac = deviceMac(4);
        QTest::newRow("denied") << QStringList{"--deny", mac} << false << "load error Config transfer denied by " + mac << 0;
        QTest::newRow("device error after two blocks") << QStringList{"--error-after", mac + "=2"} << true
                                                       << "save error Config transfer error at " + mac << 0;
        QTest::newRow("silent device") << QStringList{"--silent-after", mac + "=0"} << false
                                       << "load error Config transfer timeout on " + mac << 2900;
    }

    void failuresEndWithTheirText()
    {
        QFETCH(QStringList, faults);
        QFETCH(bool, upload);
        QFETCH(QString, end);
        QFETCH(int, atLeastMs);
        startDevices(faults);
        QStringList redLines; // each with the ends signalled before it
        connect(server, &ScanServer::message, this, [&](const QString &line) {
            if (line.contains(QLatin1String("\x1b[31m")))
                redLines << ends.join(u'|') + " | " + line;
        });
        QElapsedTimer clock;
        clock.start();
        const QString ended = upload ? save(4, deviceBlob(4)) : load(4);
        QVERIFY2(clock.elapsed() >= atLeastMs && clock.elapsed() < atLeastMs + 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(ended, end);
        QCOMPARE(redLines, QStringList{end + " | [Scan] \x1b[31m" + end.section(QStringLiteral(" error "), 1) + "\x1b[0m"});
    }

    // The device is not told: it just hears no more from the tool.
    void abortEndsWithTheYellowLineAndTheTraffic()
    {
        startDevices({"--silent-after", deviceMac(4) + "=0"});
        server->loadClientRegistry(item(4));
        QTRY_VERIFY(devices->lines().filter(QStringLiteral("transfer op=4")).size() >= 2); // repeated
        MessageLines log(server);
        server->abortClientRegistryTransfer(item(4)->info.mac);
        const QString text = "Config data transfer aborted for " + deviceMac(4);
        QCOMPARE(ends, QStringList{"load error " + text});
        QCOMPARE(log.messages(), QStringList{"[Scan] \x1b[33m" + text + "\x1b[0m"});
        QTest::qWait(200); // what was on its way
        const qsizetype heard = devices->lines().size();
        server->abortClientRegistryTransfer(item(4)->info.mac);
        QTest::qWait(1500);
        QCOMPARE(devices->lines().size(), heard);
        QCOMPARE(log.messages().size(), 1);
    }
};

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
