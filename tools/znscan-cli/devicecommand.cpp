#include "devicecommand.h"

#include "commandline.h"
#include "resetrequest.h"
#include "scanclientitem.h"
#include "scanserver.h"

#include <cstdio>

namespace {

// Parses the MAC argument, starts the engine and hands the device to `send`.
int runDeviceCommand(const QStringList &arguments, const QString &description,
                     void (ScanServer::*send)(ScanClientItem *))
{
    zn::CommandLine command(arguments.first(), QStringLiteral("[options] MAC"),
                            description + QStringLiteral("\nMessage lines go to standard error. Exit status: 0 sent, "
                                                         "1 the scanner cannot start, 2 usage\nerror."),
                            zn::CommandLine::Subcommand);
    if (const auto exit = command.parse(arguments, 1, 1))
        return *exit;
    ScanClientItem device;
    QString error;
    if (!ResetRequest::parseTarget(command.parser().positionalArguments().first(), &device.info.mac, &error))
        return command.usageError(error);

    ScanServer server;
    QObject::connect(&server, &ScanServer::message, [](const QString &line) {
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    });
    server.start();
    if (!server.isStarted())
        return 1;
    (server.*send)(&device);
    return 0;
}

} // namespace

int runBuzzCommand(const QStringList &arguments)
{
    return runDeviceCommand(arguments,
                            QStringLiteral("Makes the device with that MAC address buzz, so that it can be found."),
                            &ScanServer::buzzClient);
}

int runResetCommand(const QStringList &arguments)
{
    return runDeviceCommand(arguments, QStringLiteral("Cold-resets the device with that MAC address."),
                            &ScanServer::resetClient);
}
