#include "configfiles.h"
#include "configtransfer.h"
#include "scanclientitem.h"
#include "scanserver.h"

int runConfigPutCommand(const QStringList &arguments)
{
    ScanClientItem item;
    QString path;
    if (const auto exit = parseTransferArguments(
            arguments,
            QStringLiteral("Uploads the registry of the configuration file to the device with that MAC\n"
                           "address. The file is checked as the import of the configuration dialog does.\n"
                           "Exit status: 0 uploaded, 1 the transfer failed (the reason on standard error),\n"
                           "2 usage error, 3 the file cannot be read or the import would refuse it."),
            QStringLiteral("The file to upload."), &item, &path))
        return *exit;
    QByteArray blob;
    if (!loadConfigFile(path, &blob))
        return kExitRefusedFile;
    ScanClientRegistry registry;
    registry.assign(blob);
    return runConfigTransfer(&item, [&item, &registry](ScanServer &server) { server.saveClientRegistry(&item, registry); });
}
