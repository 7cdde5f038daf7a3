#include "configtransfer.h"

#include "commandline.h"
#include "configfiles.h"
#include "scanclientitem.h"
#include "scanserver.h"
#include "transferbatch.h"

#include <cstdio>
#include <limits>
#include <unistd.h>

std::optional<int> parseTransferArguments(const QStringList &arguments, const QString &description,
                                          const QString &fileHelp, bool severalDevices, QList<Mac> *macs,
                                          QString *path)
{
    zn::CommandLine command(arguments.first(),
                            severalDevices ? QStringLiteral("[options] MAC [MAC...] FILE.znc")
                                           : QStringLiteral("[options] MAC FILE.znc"),
                            description, zn::CommandLine::Subcommand);
    command.parser().addPositionalArgument(QStringLiteral("MAC"), QStringLiteral("The device, as 00:11:22:33:44:55."));
    command.parser().addPositionalArgument(QStringLiteral("FILE.znc"), fileHelp);
    if (const auto exit = command.parse(arguments, 2, severalDevices ? std::numeric_limits<qsizetype>::max() : 2))
        return exit;
    QStringList args = command.parser().positionalArguments();
    *path = args.takeLast();
    for (const QString &text : std::as_const(args)) {
        Mac mac;
        if (!Mac::parse(text, &mac))
            return command.usageError(QStringLiteral("Bad MAC address: %1").arg(text));
        macs->append(mac);
    }
    return std::nullopt;
}

bool runConfigTransfers(ScanServer &server, TransferBatch &batch, bool resultLines, const Finish &finish)
{
    QObject::connect(&server, &ScanServer::error, &printError);
    server.start();
    if (!server.isStarted())
        return false;
    const bool terminal = !resultLines && isatty(STDERR_FILENO) == 1;
    bool progressShown = false;
    QObject::connect(&server, &ScanServer::clientRegistryProgress, [&](ScanClientItem *, int percent) {
        if (!terminal || percent < 0)
            return;
        std::fprintf(stderr, "\r%3d%%", percent + 1);
        progressShown = true;
    });
    int failed = 0;
    batch.run(server, [&](ScanClientItem *item, const QString &transferFailure) {
        if (progressShown)
            std::fputc('\n', stderr);
        progressShown = false;
        const QString failure = transferFailure.isEmpty() && finish ? finish(item) : transferFailure;
        failed += failure.isEmpty() ? 0 : 1;
        if (!resultLines)
            return;
        const QString mac = item->info.mac.toString();
        const QString line = failure.isEmpty() ? mac + QStringLiteral(" ok") : mac + QStringLiteral(" failed: ") + failure;
        std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
        std::fflush(stdout);
    });
    return failed == 0;
}
