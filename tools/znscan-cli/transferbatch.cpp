#include "transferbatch.h"

#include "scanclientitem.h"
#include "scanserver.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>

void TransferBatch::add(ScanClientItem *item, Start start)
{
    const auto same = [item](const Job &job) { return job.item->info.mac == item->info.mac; };
    if (std::none_of(m_jobs.cbegin(), m_jobs.cend(), same))
        m_jobs.append(Job{item, std::move(start)});
}

int TransferBatch::run(ScanServer &server, const Ended &ended)
{
    qsizetype next = 0;
    qsizetype running = 0;
    int failed = 0;
    QEventLoop loop;
    const auto startMore = [&] {
        while (running < kParallel && next < m_jobs.size()) {
            ++running;
            const Job &job = m_jobs.at(next++);
            job.start(server, job.item);
        }
        if (running == 0)
            loop.quit();
    };
    const auto end = [&](ScanClientItem *item, const QString &failure) {
        const auto ours = [item](const Job &job) { return job.item == item; };
        if (std::none_of(m_jobs.cbegin(), m_jobs.cbegin() + next, ours))
            return;
        --running;
        failed += failure.isEmpty() ? 0 : 1;
        ended(item, failure);
        startMore();
    };
    QObject context;
    for (const auto complete : {&ScanServer::clientRegistryLoadComplete, &ScanServer::clientRegistrySaveComplete})
        QObject::connect(&server, complete, &context, [&end](ScanClientItem *item) { end(item, QString()); });
    for (const auto error : {&ScanServer::clientRegistryLoadError, &ScanServer::clientRegistrySaveError})
        QObject::connect(&server, error, &context, end);
    // Started from the loop: a transfer may end before its start returns.
    QMetaObject::invokeMethod(&context, startMore, Qt::QueuedConnection);
    loop.exec();
    return failed;
}
