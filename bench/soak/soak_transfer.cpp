// Transfer soak: download/upload round trips with several simulated devices at
// once over a faulty link (loss, duplication, reordering). Every completed
// transfer is checked byte for byte against the device's registry file; a
// failure must come back as a failure. Prints the counts; exit status 1 when
// any completed transfer was not byte-identical.
// Runs inside tools/netns/znnet-run (one segment): use run-soak.sh.
#include "devicefiles.h"
#include "scanclientitem.h"
#include "scanserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// The simulator holds a datagram back up to 100 ms: a transfer that starts
// sooner with the same device could meet a stale one of the last.
constexpr int kGapMs = 150;

struct Counts {
    int roundTrips = 0;
    int completed = 0;
    int failed = 0;
    int corrupted = 0;
};

QByteArray registryBytes(const ScanClientItem &item)
{
    return QByteArray(reinterpret_cast<const char *>(item.registry.data()), qsizetype(item.registry.size()));
}

// One device's round trips: download, check, upload the next registry of the
// pool, check the device's file, and again.
class Worker : public QObject
{
public:
    Worker(ScanServer *server, const QString &mac, const QString &dir, const QList<QByteArray> *pool, int first,
           Counts *counts, int *roundTripsLeft)
        : m_server(server), m_dir(dir), m_pool(pool), m_next(first), m_counts(counts), m_left(roundTripsLeft)
    {
        Mac::parse(mac, &m_item.info.mac);
        const auto ours = [this](ScanClientItem *cli) { return cli == &m_item; };
        connect(server, &ScanServer::clientRegistryLoadComplete, this, [=, this](ScanClientItem *cli) {
            if (ours(cli))
                downloaded(true);
        });
        connect(server, &ScanServer::clientRegistryLoadError, this, [=, this](ScanClientItem *cli) {
            if (ours(cli))
                downloaded(false);
        });
        connect(server, &ScanServer::clientRegistrySaveComplete, this, [=, this](ScanClientItem *cli) {
            if (ours(cli))
                uploaded(true);
        });
        connect(server, &ScanServer::clientRegistrySaveError, this, [=, this](ScanClientItem *cli) {
            if (ours(cli))
                uploaded(false);
        });
    }

    void start()
    {
        if (*m_left <= 0) {
            m_done = true;
            return;
        }
        --*m_left;
        m_server->loadClientRegistry(&m_item);
    }
    bool done() const { return m_done; }

private:
    QString deviceFileName() const { return deviceFile(m_dir, m_item.info.mac.toString()); }

    void count(bool completed, bool identical)
    {
        ++(completed ? m_counts->completed : m_counts->failed);
        if (completed && !identical) {
            ++m_counts->corrupted;
            std::fprintf(stderr, "not byte-identical: %s\n", qPrintable(m_item.info.mac.toString()));
        }
    }

    void downloaded(bool completed)
    {
        count(completed, completed && registryBytes(m_item) == withDefaults(blobOfFile(deviceFileName())));
        QTimer::singleShot(kGapMs, this, [this] {
            m_sent = m_pool->at(m_next++ % m_pool->size());
            ScanClientRegistry registry;
            registry.assign(m_sent);
            m_server->saveClientRegistry(&m_item, registry);
        });
    }

    void uploaded(bool completed)
    {
        // The device writes its file once it has the last block.
        QTimer::singleShot(kGapMs, this, [this, completed] {
            count(completed, completed && blobOfFile(deviceFileName()) == m_sent);
            ++m_counts->roundTrips;
            if (m_counts->roundTrips % 100 == 0)
                std::fprintf(stderr, "%d round trips\n", m_counts->roundTrips);
            start();
        });
    }

    ScanServer *m_server;
    QString m_dir;
    const QList<QByteArray> *m_pool;
    int m_next;
    Counts *m_counts;
    int *m_left;
    ScanClientItem m_item;
    QByteArray m_sent;
    bool m_done = false;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (qEnvironmentVariableIsEmpty("ZN_NETNS") || args.size() != 6) {
        std::fprintf(stderr, "usage (through bench/soak/run-soak.sh): soak_transfer ROUND_TRIPS DEVICES LOSS DUPLICATE "
                             "REORDER\n");
        return 2;
    }
    int roundTripsLeft = args[1].toInt();
    const int devices = args[2].toInt();
    QTemporaryDir dir;
    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    simulator.setStandardOutputFile(QProcess::nullDevice());
    simulator.start(qEnvironmentVariable("ZNNET_EXEC"),
                    {"1", qEnvironmentVariable("ZNSIM"), "--count", QString::number(devices), "--seed", "3",
                     "--duration", "0", "--save-dir", dir.path(), "--loss", args[3], "--duplicate", args[4],
                     "--reorder", args[5]});
    const auto mac = [](int n) { return QStringLiteral("02:5A:4E:03:00:%1").arg(n, 2, 16, QLatin1Char('0')).toUpper(); };
    QElapsedTimer started;
    started.start();
    while (!QFile::exists(deviceFile(dir.path(), mac(devices))) && started.elapsed() < 10000)
        QThread::msleep(50);
    QThread::msleep(300); // its socket is bound once the files are there

    QList<QByteArray> pool; // the registries the uploads take turns with
    for (int n = 1; n <= devices; ++n)
        pool << withDefaults(blobOfFile(deviceFile(dir.path(), mac(n))));
    ScanServer server;
    server.start();
    if (!server.isStarted() || pool.contains(QByteArray()))
        return 1;

    Counts counts;
    std::vector<std::unique_ptr<Worker>> workers;
    QElapsedTimer clock;
    clock.start();
    for (int n = 1; n <= devices; ++n) {
        workers.push_back(std::make_unique<Worker>(&server, mac(n), dir.path(), &pool, n, &counts, &roundTripsLeft));
        workers.back()->start();
    }
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (std::all_of(workers.begin(), workers.end(), [](const auto &w) { return w->done(); }))
            QCoreApplication::quit();
    });
    poll.start(100);
    QTimer::singleShot(30 * 60 * 1000, &app, &QCoreApplication::quit); // bounded, whatever happens
    app.exec();
    std::printf("%d round trips with %d devices (loss %s %%, duplicate %s %%, reorder %s %%) in %.1f s: "
                "%d transfers completed, %d failed, %d completed but not byte-identical\n",
                counts.roundTrips, devices, qPrintable(args[3]), qPrintable(args[4]), qPrintable(args[5]),
                double(clock.elapsed()) / 1000, counts.completed, counts.failed, counts.corrupted);
    simulator.terminate();
    simulator.waitForFinished(5000);
    return counts.corrupted == 0 ? 0 : 1;
}
