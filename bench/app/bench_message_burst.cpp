// A burst of message lines through MainWindow::appendMessage with the message
// dock open: how long until the burst is painted and the event loop idle,
// the longest single event (a stall of the window), and the peak memory.
// The lines arrive in batches, each batch one event, as datagram handlers
// deliver them; --batch sets how many lines a batch holds.
//   bench_message_burst [--lines N] [--batch B] [--size WxH] [--dock-height PX]
// Runs inside a private network namespace (run-message-burst.sh): the window
// starts the scan engine, which binds the controller port.
#include "mainwindow.h"
#include "scanserver.h"
#include "terminalcore.h"
#include "terminalframe.h"
#include "terminalwidget.h"

#include <QApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

namespace {

// Times every event delivered from the event loop itself (nested deliveries
// count within their outer one).
class TimedApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (m_depth > 0)
            return QApplication::notify(receiver, event);
        ++m_depth;
        QElapsedTimer timer;
        timer.start();
        const bool result = QApplication::notify(receiver, event);
        const qint64 ns = timer.nsecsElapsed();
        --m_depth;
        if (m_measuring)
            m_busyNs += ns;
        if (m_measuring && ns > m_longestNs) {
            m_longestNs = ns;
            m_longestWhat = QStringLiteral("%1 to %2").arg(int(event->type())).arg(
                QString::fromLatin1(receiver->metaObject()->className()));
        }
        return result;
    }

    void startMeasuring() { m_measuring = true; }
    qint64 longestNs() const { return m_longestNs; }
    qint64 busyNs() const { return m_busyNs; }
    QString longestWhat() const { return m_longestWhat; }

private:
    int m_depth = 0;
    bool m_measuring = false;
    qint64 m_longestNs = 0;
    qint64 m_busyNs = 0;
    QString m_longestWhat;
};

// Lines of the kinds a scan produces: receptions, decoded answers, findings,
// now and then a coloured warning.
QString messageLine(int i)
{
    const QString mac = QStringLiteral("02:5A:4E:%1:%2:%3")
                            .arg((i >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
                            .arg((i >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                            .arg(i & 0xFF, 2, 16, QLatin1Char('0'))
                            .toUpper();
    const QString ip = QStringLiteral("10.%1.%2.%3").arg((i >> 16) & 0xFF).arg((i >> 8) & 0xFF).arg(i & 0xFF);
    switch (i % 4) {
    case 0:
        return QStringLiteral("[Scan] 173 bytes received from %1 (DISCOVER)").arg(ip);
    case 1:
        return QStringLiteral("[Scan] Discover: mac=%1 board=0x00000203(ZC-203) cpu=0x00000011 "
                              "serial=0x00000000%2 made=2024-03-01 10:00:00")
            .arg(mac)
            .arg(i, 8, 16, QLatin1Char('0'));
    case 2:
        return QStringLiteral("[Scan] Discovered %1 at %2").arg(i).arg(mac);
    default:
        return i % 100 == 3 ? QStringLiteral("[Socket] \x1b[33mUDP %1:65533: datagram dropped\x1b[0m").arg(ip)
                            : QStringLiteral("[Scan] \x1b[32mDevice %1 answered\x1b[0m").arg(mac);
    }
}

long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    int lines = 100000;
    int batch = 100;
    QSize size(942, 465);
    int dockHeight = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray option = argv[i];
        if (option == "--lines")
            lines = atoi(argv[i + 1]);
        else if (option == "--batch")
            batch = atoi(argv[i + 1]);
        else if (option == "--dock-height")
            dockHeight = atoi(argv[i + 1]);
        else if (option == "--size")
            size = QSize(atoi(argv[i + 1]), atoi(strchr(argv[i + 1], 'x') ? strchr(argv[i + 1], 'x') + 1 : "0"));
    }
    if (lines <= 0 || batch <= 0 || size.isEmpty()) {
        std::fprintf(stderr, "usage: bench_message_burst [--lines N] [--batch B] [--size WxH] [--dock-height PX]\n");
        return 2;
    }

    TimedApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quillon"));
    QCoreApplication::setApplicationName(QStringLiteral("znscan"));
    MainWindow window;
    window.resize(size);
    window.show();
    auto *dock = window.findChild<QDockWidget *>(QStringLiteral("MessageDock"));
    dock->toggleViewAction()->trigger();
    if (dockHeight > 0)
        window.resizeDocks({dock}, {dockHeight}, Qt::Vertical);
    if (!QTest::qWaitForWindowExposed(&window) || !QTest::qWaitFor([&] { return window.scanServer()->isStarted(); }))
        return 1;
    QTest::qWait(200);

    auto *terminal = dock->findChild<TerminalWidget *>();
    QElapsedTimer clock;
    qint64 fedNs = 0;
    qint64 lastPaintNs = 0;
    struct PaintWatch : QObject {
        QElapsedTimer *clock;
        qint64 *last;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                *last = clock->nsecsElapsed();
            return false;
        }
    } paints;
    paints.clock = &clock;
    paints.last = &lastPaintNs;
    terminal->frame()->installEventFilter(&paints);

    const long rssBefore = peakRssKiB();
    int sent = 0;
    QTimer feeder;
    feeder.setInterval(0);
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        for (int i = 0; i < batch && sent < lines; ++i)
            window.appendMessage(messageLine(sent++));
        if (sent == lines) {
            feeder.stop();
            fedNs = clock.nsecsElapsed();
        }
    });
    app.startMeasuring();
    clock.start();
    feeder.start();
    // Idle: everything fed and no paint for half a second. (QTest::qWaitFor
    // would sleep between its passes and slow the burst down.)
    QEventLoop loop;
    QTimer idleCheck;
    QObject::connect(&idleCheck, &QTimer::timeout, [&] {
        if (fedNs > 0 && clock.nsecsElapsed() - std::max(fedNs, lastPaintNs) > 500'000'000)
            loop.quit();
        if (clock.elapsed() > 60000)
            loop.exit(1);
    });
    idleCheck.start(50);
    if (loop.exec() != 0) {
        std::fprintf(stderr, "bench_message_burst: not idle after a minute\n");
        return 1;
    }

    // The burst's last line is on the screen, just above the cursor.
    zn::TerminalCore *core = terminal->frame()->core();
    const zn::TerminalLine *lastRow = zn::terminalCoreLine(core, int32_t(core->shownCursorY) - 1);
    QString shown;
    for (uint32_t x = 0; lastRow && x < core->cols; ++x)
        shown += QChar(char16_t(zn::cellChar(zn::lineCells(lastRow)[x])));
    const bool lastShown = shown.trimmed() == messageLine(lines - 1).remove(QRegularExpression(QStringLiteral("\x1b\\[[0-9;]*m")));
    std::printf("lines %d, batch %d, window %dx%d, terminal %dx%d\n", lines, batch, size.width(), size.height(),
                terminal->terminalSize().width(), terminal->terminalSize().height());
    std::printf("all lines fed after %.0f ms, last paint after %.0f ms\n", fedNs / 1e6,
                std::max(fedNs, lastPaintNs) / 1e6);
    std::printf("longest event %.1f ms (%s), all events %.0f ms\n", app.longestNs() / 1e6,
                qPrintable(app.longestWhat()), app.busyNs() / 1e6);
    std::printf("peak memory %.1f MiB (%.1f MiB before the burst)\n", peakRssKiB() / 1024.0, rssBefore / 1024.0);
    std::printf("last line %s\n", lastShown ? "shown" : "NOT shown");
    return lastShown ? 0 : 1;
}
