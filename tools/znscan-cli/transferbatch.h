// Configuration transfers with several devices on one scan server, a bounded
// number at a time: the engine runs them side by side, but a few hundred at
// once would only lose more datagrams to the receive buffers.
#pragma once

#include <QList>
#include <QString>

#include <functional>

class ScanClientItem;
class ScanServer;

class TransferBatch
{
public:
    static constexpr int kParallel = 8;

    // start(server, item) begins the transfer with item (a load or a save).
    using Start = std::function<void(ScanServer &, ScanClientItem *)>;
    // failure is empty when the transfer completed, else the server's text.
    using Ended = std::function<void(ScanClientItem *, const QString &failure)>;

    // A device is transferred at most once: the engine would replace a
    // running transfer of the same device without ever ending it.
    void add(ScanClientItem *item, Start start);

    // Runs the event loop until every transfer has ended (the server ends each
    // one: completed, refused, or 3 s without an answer); returns how many failed.
    int run(ScanServer &server, const Ended &ended);

private:
    struct Job {
        ScanClientItem *item;
        Start start;
    };
    QList<Job> m_jobs;
};
