#include "configfiles.h"
#include "configtransfer.h"
#include "scanclientitem.h"
#include "scanserver.h"

int runConfigGetCommand(const QStringList &arguments)
{
    ScanClientItem item;
    QString path;
    if (const auto exit = parseTransferArguments(
            arguments,
            QStringLiteral("Downloads the configuration of the device with that MAC address, completes its\n"
                           "default entries as the configuration dialog sees them and writes it to the file.\n"
                           "The file is written only once the download has completed, and then whole.\n"
                           "Exit status: 0 written, 1 the transfer or the writing failed (the reason on\n"
                           "standard error), 2 usage error."),
            QStringLiteral("The file to write."), &item, &path))
        return *exit;
    const int status = runConfigTransfer(&item, [&item](ScanServer &server) { server.loadClientRegistry(&item); });
    if (status != 0)
        return status;
    return saveConfigFile(path, QByteArrayView(item.registry.data(), item.registry.size())) ? 0 : 1;
}
