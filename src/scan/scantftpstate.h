// One running configuration transfer of one device: the datagram outstanding,
// the repeat and no-answer timers, and the bytes sent or received so far. The
// device owns it; the scan server drives it.
#pragma once

#include "datagram.h"

#include <QByteArray>
#include <QObject>

class QTimer;
class ScanClientItem;

class ScanTFTPState : public QObject
{
    Q_OBJECT

public:
    enum Mode { Upload = 1, Download = 2 };

    static constexpr int kFailIntervalMs = 3000;
    static constexpr int kMinDelayMs = 100;
    static constexpr int kMaxDelayMs = 5000;

    ScanTFTPState(ScanClientItem *client, int mode);

    // After every send: the repeat comes after a delay growing by a third per
    // repeat (with jitter); the no-answer timer runs from the first send after
    // the last accepted answer.
    void arm();
    // A matching answer arrived.
    void disarm();

    int mode;
    ScanClientItem *client; // not owned: the device owns the state
    int delay = 0;
    QTimer *retryTimer;
    QTimer *failTimer;
    quint32 position = 0;
    QByteArray data;
    // Download: every byte below this has been received. Blocks that start
    // beyond it are refused, so a stale or early final block cannot complete
    // a download with gaps.
    quint32 received = 0;
    int lastPercent = -1;
    quint32 packetLength = 0;
    uchar packet[zn::kDatagramBufferSize];

Q_SIGNALS:
    void retry(ScanClientItem *cli);
    void fail(ScanClientItem *cli);

private Q_SLOTS:
    void retry();
    void fail();
};
