#include "scancommand.h"

#include "clientjson.h"
#include "commandline.h"
#include "ipv4.h"
#include "scanclientitem.h"
#include "scanserver.h"
#include "scanstate.h"
#include "scanstatemodel.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <cstdio>

namespace {

void printDevices(const ScanState &devices, bool json)
{
    if (json) {
        QJsonArray array;
        for (int row = 0; row < devices.count(); ++row)
            array.append(clientInfoToJson(devices.at(row)->info));
        std::fputs(QJsonDocument(array).toJson(QJsonDocument::Indented).constData(), stdout);
        return;
    }
    for (int row = 0; row < devices.count(); ++row) {
        const ScanClientInfo &info = devices.at(row)->info;
        const QString ip = info.ip ? ipv4ToString(info.ip) : QString();
        const QString line = QStringLiteral("%1  %2  %3\n").arg(info.mac.toString(), ip.leftJustified(15), info.serialDescription());
        std::fputs(line.toLocal8Bit().constData(), stdout);
    }
}

} // namespace

int runScanCommand(const QStringList &arguments)
{
    zn::CommandLine command(
        arguments.first(), QStringLiteral("[options]"),
        QStringLiteral("Scans once on the engine of znscan, waits, then prints the devices found in list\n"
                       "order, one a line: MAC address, IP address, serial number and versions. Message\n"
                       "lines go to standard error. Exit status: 0 done, 1 the scanner cannot start (port\n"
                       "65533 is held by another program), 2 usage error."),
        zn::CommandLine::Subcommand);
    const QCommandLineOption wait(QStringLiteral("wait"),
                                  QStringLiteral("Waits MS milliseconds after the scan (default 3000)."),
                                  QStringLiteral("MS"), QStringLiteral("3000"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Prints the devices as a JSON array."));
    const QCommandLineOption quiet(QStringLiteral("quiet"), QStringLiteral("Leaves out the message lines."));
    command.parser().addOptions({wait, json, quiet});
    if (const auto exit = command.parse(arguments))
        return *exit;
    bool ok = false;
    const int waitMs = command.parser().value(wait).toInt(&ok);
    if (!ok || waitMs < 0)
        return command.usageError(QStringLiteral("--wait wants a number of milliseconds."));

    ScanServer server;
    if (!command.parser().isSet(quiet)) {
        QObject::connect(&server, &ScanServer::message, [](const QString &line) {
            std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        });
    }
    server.start();
    if (!server.isStarted())
        return 1;
    server.scanClients();
    QTimer::singleShot(waitMs, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();

    printDevices(*server.model()->state(), command.parser().isSet(json));
    std::fflush(stdout);
    return 0;
}
