#include "scantftpstate.h"

#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>

ScanTFTPState::ScanTFTPState(ScanClientItem *cli, int transferMode)
    : mode(transferMode)
    , client(cli)
    , retryTimer(new QTimer(this))
    , failTimer(new QTimer(this))
{
    retryTimer->setSingleShot(true);
    failTimer->setSingleShot(true);
    failTimer->setTimerType(Qt::PreciseTimer); // a coarse one may give up 5 % early
    failTimer->setInterval(60000); // the server sets the real timeout right after
    connect(retryTimer, &QTimer::timeout, this, qOverload<>(&ScanTFTPState::retry));
    connect(failTimer, &QTimer::timeout, this, qOverload<>(&ScanTFTPState::fail));
}

void ScanTFTPState::arm()
{
    const int base = std::max(failTimer->interval() / 60, kMinDelayMs);
    delay = delay >= base ? delay + delay * 33 / 100 : base;
    delay = std::min(delay, kMaxDelayMs);
    // Jitter keeps the devices that failed together from repeating together.
    const int jitter = int(QRandomGenerator::global()->generate() & 0x1FF);
    int interval = delay + jitter - 256;
    if (interval < kMinDelayMs)
        interval = jitter % 32 + 80;
    retryTimer->start(interval);
    if (!failTimer->isActive())
        failTimer->start();
}

void ScanTFTPState::disarm()
{
    delay = 0;
    retryTimer->stop();
    failTimer->stop();
}

void ScanTFTPState::retry()
{
    Q_EMIT retry(client);
}

void ScanTFTPState::fail()
{
    Q_EMIT fail(client);
}
