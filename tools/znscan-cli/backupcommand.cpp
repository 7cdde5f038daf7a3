#include "backupcommand.h"

#include "commandline.h"
#include "configfileio.h"
#include "configfiles.h"
#include "configtransfer.h"
#include "scanclientitem.h"
#include "scancommand.h"
#include "scanserver.h"
#include "scanstate.h"
#include "scanstatemodel.h"
#include "transferbatch.h"

#include <QDir>

namespace {

// "-" separators: ":" is not allowed in file names everywhere.
QString backupFile(const QDir &dir, const ScanClientItem &item)
{
    return dir.filePath(item.info.mac.toString(QLatin1Char('-')) + QStringLiteral(".znc"));
}

} // namespace

int runBackupCommand(const QStringList &arguments)
{
    zn::CommandLine command(
        arguments.first(), QStringLiteral("[options] DIR"),
        QStringLiteral("Scans once, then downloads the configuration of every device found, several at a\n"
                       "time, into DIR/MAC.znc (the MAC address with \"-\" separators, for instance\n"
                       "DIR/02-5A-4E-01-00-01.znc; DIR is made if missing), each file as \"config get\"\n"
                       "writes it. Prints a line per device: its MAC address and \"ok\", or \"failed: \" and\n"
                       "the reason. Exit status: 0 every device saved, 1 the scanner cannot start, no\n"
                       "device answered, or a device failed, 2 usage error."),
        zn::CommandLine::Subcommand);
    ScanOptions options(&command);
    command.parser().addPositionalArgument(QStringLiteral("DIR"), QStringLiteral("Where the files go."));
    if (const auto exit = command.parse(arguments, 1, 1))
        return *exit;
    if (const auto exit = options.check())
        return *exit;
    const QDir dir(command.parser().positionalArguments().first());
    if (!dir.mkpath(QStringLiteral("."))) {
        printError(QStringLiteral("%1: cannot make the directory").arg(dir.path()));
        return 1;
    }

    ScanServer server;
    if (!options.scan(server))
        return 1;
    const ScanState &devices = *server.model()->state();
    if (devices.count() == 0) {
        printError(QStringLiteral("No device answered."));
        return 1;
    }
    TransferBatch batch;
    for (int row = 0; row < devices.count(); ++row)
        batch.add(devices.at(row), [](ScanServer &s, ScanClientItem *cli) { s.loadClientRegistry(cli); });
    const auto save = [&dir](ScanClientItem *item) {
        const QString path = backupFile(dir, *item);
        QString error;
        if (writeConfigFile(path, QByteArrayView(item->registry.data(), item->registry.size()), &error))
            return QString();
        return QStringLiteral("%1: %2").arg(path, error);
    };
    return runConfigTransfers(server, batch, true, save) ? 0 : 1;
}
