#include "configtransfer.h"

#include "commandline.h"
#include "configfiles.h"
#include "scanclientitem.h"
#include "scanserver.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

std::optional<int> parseTransferArguments(const QStringList &arguments, const QString &description,
                                          const QString &fileHelp, ScanClientItem *item, QString *path)
{
    zn::CommandLine command(arguments.first(), QStringLiteral("[options] MAC FILE.znc"), description,
                            zn::CommandLine::Subcommand);
    command.parser().addPositionalArgument(QStringLiteral("MAC"), QStringLiteral("The device, as 00:11:22:33:44:55."));
    command.parser().addPositionalArgument(QStringLiteral("FILE.znc"), fileHelp);
    if (const auto exit = command.parse(arguments, 2, 2))
        return exit;
    const QStringList args = command.parser().positionalArguments();
    if (!Mac::parse(args[0], &item->info.mac))
        return command.usageError(QStringLiteral("Bad MAC address: %1").arg(args[0]));
    *path = args[1];
    return std::nullopt;
}

int runConfigTransfer(ScanClientItem *item, const std::function<void(ScanServer &)> &start)
{
    ScanServer server;
    QObject::connect(&server, &ScanServer::error, &printError);
    const bool terminal = isatty(STDERR_FILENO) == 1;
    bool progressShown = false;
    QObject::connect(&server, &ScanServer::clientRegistryProgress, [&](ScanClientItem *, int percent) {
        if (!terminal || percent < 0)
            return;
        std::fprintf(stderr, "\r%3d%%", percent + 1);
        progressShown = true;
    });
    int status = 1;
    const auto end = [&status, item](ScanClientItem *cli, int result) {
        if (cli != item)
            return;
        status = result;
        QCoreApplication::exit();
    };
    QObject::connect(&server, &ScanServer::clientRegistryLoadComplete, [&end](ScanClientItem *cli) { end(cli, 0); });
    QObject::connect(&server, &ScanServer::clientRegistrySaveComplete, [&end](ScanClientItem *cli) { end(cli, 0); });
    QObject::connect(&server, &ScanServer::clientRegistryLoadError, [&end](ScanClientItem *cli) { end(cli, 1); });
    QObject::connect(&server, &ScanServer::clientRegistrySaveError, [&end](ScanClientItem *cli) { end(cli, 1); });

    server.start();
    if (!server.isStarted())
        return 1;
    start(server);
    // The server ends every transfer: on completion, on the device's refusal
    // or after 3 s without an answer.
    QCoreApplication::exec();
    if (progressShown)
        std::fputc('\n', stderr);
    return status;
}
