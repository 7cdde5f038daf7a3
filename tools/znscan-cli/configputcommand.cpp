#include "configfiles.h"
#include "configtransfer.h"
#include "scanclientitem.h"
#include "scanserver.h"
#include "transferbatch.h"

#include <memory>
#include <vector>

int runConfigPutCommand(const QStringList &arguments)
{
    QList<Mac> macs;
    QString path;
    if (const auto exit = parseTransferArguments(
            arguments,
            QStringLiteral("Uploads the registry of the configuration file to each device with one of those\n"
                           "MAC addresses, several at a time, and prints a line per device: its MAC address\n"
                           "and \"ok\" or \"failed: \" and the reason. The file is checked as the import of the\n"
                           "configuration dialog does. Exit status: 0 uploaded to every device, 1 a transfer\n"
                           "failed, 2 usage error, 3 the file cannot be read or the import would refuse it."),
            QStringLiteral("The file to upload."), true, &macs, &path))
        return *exit;
    QByteArray blob;
    if (!loadConfigFile(path, &blob))
        return kExitRefusedFile;
    ScanClientRegistry registry;
    registry.assign(blob);

    ScanServer server;
    TransferBatch batch;
    std::vector<std::unique_ptr<ScanClientItem>> devices;
    for (const Mac mac : std::as_const(macs)) {
        devices.push_back(std::make_unique<ScanClientItem>());
        devices.back()->info.mac = mac;
        batch.add(devices.back().get(),
                  [&registry](ScanServer &s, ScanClientItem *cli) { s.saveClientRegistry(cli, registry); });
    }
    return runConfigTransfers(server, batch, true) ? 0 : 1;
}
