// Scan scale: N simulated controllers answer one scan, spread over a second.
// For each N it reports how many the headless front end lists at the end of
// the 3 s window, the front end's CPU time and its peak memory, and the
// shortest gap between two discovery requests as the devices received them
// (from the last datagram of one request to the first of the next).
// Runs inside tools/netns/znnet-run (one segment); the simulator runs in the
// segment's namespace.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QStringList>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

struct Run {
    int listed = -1;
    int unique = -1;
    double cpuSeconds = 0;
    long peakKiB = 0;
};

// Spawns the front end with its output in a file and takes its resource use from wait4.
bool runFrontEnd(const QString &cli, const QStringList &args, Run *run)
{
    QTemporaryFile output;
    if (!output.open())
        return false;
    std::vector<QByteArray> storage{cli.toLocal8Bit()};
    for (const QString &arg : args)
        storage.push_back(arg.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output.handle(), STDOUT_FILENO);
    // The message lines are part of the work measured, not of the report.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;

    run->cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                      + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run->peakKiB = usage.ru_maxrss;
    output.seek(0);
    const QJsonArray devices = QJsonDocument::fromJson(output.readAll()).array();
    run->listed = int(devices.size());
    QSet<QString> macs;
    for (const QJsonValue &device : devices)
        macs.insert(device.toObject().value(QStringLiteral("mac")).toString());
    run->unique = int(macs.size());
    return true;
}

// The simulator logs each request it receives with the kernel's receive time;
// every bound socket of the front end sends each of the three requests once.
double shortestRequestGapMs(const QByteArray &simulatorLog)
{
    QList<double> at;
    for (const QByteArray &line : simulatorLog.split('\n')) {
        if (line.startsWith("discover from "))
            at << line.mid(line.indexOf("at=") + 3).toDouble() * 1000;
    }
    if (at.isEmpty() || at.size() % 3 != 0)
        return -1;
    std::sort(at.begin(), at.end());
    const qsizetype perRequest = at.size() / 3;
    return std::min(at[perRequest] - at[perRequest - 1], at[2 * perRequest] - at[2 * perRequest - 1]);
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray sim = qgetenv("ZNSIM");
    const QByteArray cli = qgetenv("ZNSCAN_CLI");
    const QByteArray exec = qgetenv("ZNNET_EXEC");
    if (qEnvironmentVariableIsEmpty("ZN_NETNS") || sim.isEmpty() || cli.isEmpty() || exec.isEmpty()) {
        std::fprintf(stderr, "run through bench/scan/run-scan-scale.sh (needs the private network harness)\n");
        return 2;
    }
    QList<int> counts{100, 1000, 5000};
    if (argc > 1) {
        counts.clear();
        for (const QString &n : QString::fromLocal8Bit(argv[1]).split(QLatin1Char(',')))
            counts << n.toInt();
    }

    std::printf("%8s %8s %8s %6s %10s %10s %9s  %s\n", "devices", "listed", "unique", "lost", "cpu [s]",
                "peak [MiB]", "gap [ms]", "mode");
    for (const int n : counts) {
        for (const bool quiet : {true, false}) {
            QProcess simulator;
            simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            simulator.start(QString::fromLocal8Bit(exec),
                            {QStringLiteral("1"), QString::fromLocal8Bit(sim), QStringLiteral("--count"),
                             QString::number(n), QStringLiteral("--seed"), QString::number(n),
                             QStringLiteral("--spread"), QStringLiteral("1000"), QStringLiteral("--duration"),
                             QStringLiteral("15000")});
            bool ready = false;
            QByteArray simulatorLog;
            while (!ready && simulator.waitForReadyRead(5000)) {
                simulatorLog += simulator.readAll();
                ready = simulatorLog.contains("\nready\n");
            }
            if (!ready) {
                std::fprintf(stderr, "the simulator did not start\n");
                return 1;
            }
            QStringList args{QStringLiteral("scan"), QStringLiteral("--json"), QStringLiteral("--wait"),
                             QStringLiteral("3000")};
            if (quiet)
                args << QStringLiteral("--quiet");
            Run run;
            const bool ok = runFrontEnd(QString::fromLocal8Bit(cli), args, &run);
            simulator.terminate();
            simulator.waitForFinished(5000);
            simulatorLog += simulator.readAll();
            if (!ok) {
                std::fprintf(stderr, "the front end failed\n");
                return 1;
            }
            std::printf("%8d %8d %8d %6d %10.3f %10.1f %9.2f  %s\n", n, run.listed, run.unique, n - run.unique,
                        run.cpuSeconds, double(run.peakKiB) / 1024.0, shortestRequestGapMs(simulatorLog),
                        quiet ? "--quiet" : "messages to stderr");
            std::fflush(stdout);
        }
    }
    return 0;
}
