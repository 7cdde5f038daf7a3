#include "configfiles.h"
#include "configtransfer.h"
#include "scanclientitem.h"
#include "scanserver.h"
#include "transferbatch.h"

int runConfigGetCommand(const QStringList &arguments)
{
    QList<Mac> macs;
    QString path;
    if (const auto exit = parseTransferArguments(
            arguments,
            QStringLiteral("Downloads the configuration of the device with that MAC address, completes its\n"
                           "default entries as the configuration dialog sees them and writes it to the file.\n"
                           "The file is written only once the download has completed, and then whole.\n"
                           "Exit status: 0 written, 1 the transfer or the writing failed (the reason on\n"
                           "standard error), 2 usage error."),
            QStringLiteral("The file to write."), false, &macs, &path))
        return *exit;
    ScanClientItem item;
    item.info.mac = macs.first();
    ScanServer server;
    TransferBatch batch;
    batch.add(&item, [](ScanServer &s, ScanClientItem *cli) { s.loadClientRegistry(cli); });
    if (!runConfigTransfers(server, batch, false))
        return 1;
    return saveConfigFile(path, QByteArrayView(item.registry.data(), item.registry.size())) ? 0 : 1;
}
