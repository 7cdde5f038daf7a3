// Panel scale: N simulated controllers answer one scan, spread over a second,
// while the device list is on screen. For each way of showing the list it
// reports how many rows were listed, the wall and CPU time until the list was
// complete ("-1": it never was), the CPU time until it was idle (no row
// changed or flashed for 500 ms, once complete or after the 3 s scan window),
// the longest stall of the event loop meanwhile in wall time and in CPU time
// of the GUI thread (which leaves out the time the process waited for a
// processor on a loaded machine), and the datagrams the kernel dropped.
//   window: the main window as the program shows it (panel, proxy, messages)
//   view on model: a bare row tree view on the scan state model, so that the
//                  model's layout signals around every insertion reach a view
//   engine only: the scan server alone, messages to the debug output
// Runs inside tools/netns/znnet-run (one segment); see run-panel-scale.sh.
// Arguments: the device counts ("1000,5000"), then the modes ("window,view").
#include "mainwindow.h"
#include "rowtreeview.h"
#include "scanserver.h"
#include "scanstatemodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <ctime>
#include <unistd.h>

namespace {

enum class Mode { Window, ViewOnModel, EngineOnly };

struct Figures {
    int listed = 0;
    double completeWallMs = -1;
    double completeCpuMs = -1;
    double idleCpuMs = -1;
    double longestStallMs = 0; // wall time between two passes of the event loop
    double longestBusyMs = 0;  // CPU time of this thread between them: preemption left out
    qint64 dropped = 0;        // datagrams the kernel dropped for a full receive buffer
};

// UDP RcvbufErrors of this network namespace.
qint64 receiveBufferErrors()
{
    QFile snmp(QStringLiteral("/proc/net/snmp"));
    if (!snmp.open(QIODevice::ReadOnly))
        return 0;
    QList<QByteArray> names;
    for (const QByteArray &line : snmp.readAll().split('\n')) {
        if (!line.startsWith("Udp: "))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (names.isEmpty()) {
            names = fields;
            continue;
        }
        const qsizetype at = names.indexOf("RcvbufErrors");
        return at > 0 && at < fields.size() ? fields.at(at).toLongLong() : 0;
    }
    return 0;
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 + double(usage.ru_utime.tv_usec)
            + double(usage.ru_stime.tv_usec)) / 1e3;
}

bool startSimulator(QProcess *simulator, int count)
{
    simulator->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    simulator->start(qEnvironmentVariable("ZNNET_EXEC"),
                     {QStringLiteral("1"), qEnvironmentVariable("ZNSIM"), QStringLiteral("--count"),
                      QString::number(count), QStringLiteral("--seed"), QString::number(count),
                      QStringLiteral("--spread"), QStringLiteral("1000"), QStringLiteral("--duration"),
                      QStringLiteral("30000")});
    QByteArray log;
    while (!log.contains("\nready\n") && simulator->waitForReadyRead(5000))
        log += simulator->readAll();
    return log.contains("\nready\n");
}

Figures measure(Mode mode, int count)
{
    std::unique_ptr<QWidget> shown;
    std::unique_ptr<ScanServer> engine;
    ScanServer *server = nullptr;
    if (mode == Mode::Window) {
        auto *window = new MainWindow;
        shown.reset(window);
        server = window->scanServer();
    } else {
        engine = std::make_unique<ScanServer>();
        server = engine.get();
        QObject::connect(server, &ScanServer::message, [](const QString &line) {
            qDebug("%s", line.toLocal8Bit().constData());
        });
        if (mode == Mode::ViewOnModel) {
            auto *view = new RowTreeView;
            view->setModel(server->model());
            view->resize(942, 400);
            shown.reset(view);
        }
    }
    if (shown)
        shown->show();
    server->start();
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    Figures figures;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    double lastTickCpu = threadCpuMs();
    qint64 lastActivity = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        const double cpu = threadCpuMs();
        figures.longestStallMs = std::max(figures.longestStallMs, double(now - lastTick) / 1e6);
        figures.longestBusyMs = std::max(figures.longestBusyMs, cpu - lastTickCpu);
        lastTick = now;
        lastTickCpu = cpu;
    });
    const auto active = [&] { lastActivity = clock.nsecsElapsed(); };
    ScanStateModel *model = server->model();
    QObject::connect(model, &QAbstractItemModel::rowsInserted, active);
    QObject::connect(model, &QAbstractItemModel::dataChanged, active);

    QEventLoop loop;
    QTimer check;
    const double cpuAtScan = cpuMs();
    const qint64 droppedBefore = receiveBufferErrors();
    QObject::connect(&check, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (figures.completeCpuMs < 0 && model->rowCount() >= count) {
            figures.completeCpuMs = cpuMs() - cpuAtScan;
            figures.completeWallMs = double(now) / 1e6;
        }
        // Idle: no row changed or flashed for 500 ms, once the list is complete
        // or the 3 s scan window is over (answers lost on the way never come).
        const bool idle = (figures.completeCpuMs >= 0 || now > 3'000'000'000LL) && now - lastActivity > 500'000'000;
        if (idle || now > 30'000'000'000LL)
            loop.quit();
    });
    clock.start();
    ticker.start(2);
    check.start(10);
    server->scanClients();
    loop.exec();
    figures.idleCpuMs = cpuMs() - cpuAtScan;
    figures.listed = model->rowCount();
    figures.dropped = receiveBufferErrors() - droppedBefore;
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("ZN_NETNS") || qEnvironmentVariableIsEmpty("ZNSIM")
        || qEnvironmentVariableIsEmpty("ZNNET_EXEC")) {
        std::fprintf(stderr, "run through bench/panel/run-panel-scale.sh (needs the private network harness)\n");
        return 2;
    }
    QApplication app(argc, argv);
    QList<int> counts{5000};
    if (argc > 1) {
        counts.clear();
        for (const QString &n : QString::fromLocal8Bit(argv[1]).split(QLatin1Char(',')))
            counts << n.toInt();
    }
    // The message lines are part of the work measured, not of the report.
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);

    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("%8s %8s %10s %10s %14s %11s %10s %8s  %s\n", "devices", "listed", "wall [ms]", "cpu [ms]",
                "idle cpu [ms]", "stall [ms]", "busy [ms]", "dropped", "mode");
    const std::pair<Mode, const char *> modes[] = {
        {Mode::Window, "window"}, {Mode::ViewOnModel, "view on model"}, {Mode::EngineOnly, "engine only"}};
    // A second argument picks modes by the start of their names: "window,view".
    const QStringList picked = argc > 2 ? QString::fromLocal8Bit(argv[2]).split(QLatin1Char(',')) : QStringList();
    for (const int count : counts) {
        for (const auto &[mode, name] : modes) {
            const QString modeName = QString::fromLatin1(name);
            if (!picked.isEmpty()
                && std::none_of(picked.begin(), picked.end(), [&](const QString &p) { return modeName.startsWith(p); }))
                continue;
            QProcess simulator;
            if (!startSimulator(&simulator, count)) {
                std::printf("the simulator did not start\n");
                return 1;
            }
            const Figures f = measure(mode, count);
            simulator.terminate();
            simulator.waitForFinished(5000);
            std::printf("%8d %8d %10.0f %10.0f %14.0f %11.1f %10.1f %8lld  %s\n", count, f.listed, f.completeWallMs,
                        f.completeCpuMs, f.idleCpuMs, f.longestStallMs, f.longestBusyMs, static_cast<long long>(f.dropped), name);
            std::fflush(stdout);
        }
    }
    return 0;
}
