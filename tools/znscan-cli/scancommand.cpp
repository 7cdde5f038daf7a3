#include "scancommand.h"

#include "clientjson.h"
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

struct ScanOptions {
    int waitMs = 3000;
    bool json = false;
    bool quiet = false;
};

bool parseScanOptions(const QStringList &args, ScanOptions *options)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--json")) {
            options->json = true;
        } else if (arg == QLatin1String("--quiet")) {
            options->quiet = true;
        } else if (arg == QLatin1String("--wait") && i + 1 < args.size()) {
            bool ok = false;
            options->waitMs = args.at(++i).toInt(&ok);
            if (!ok || options->waitMs < 0)
                return false;
        } else {
            return false;
        }
    }
    return true;
}

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

int runScanCommand(const QStringList &args)
{
    ScanOptions options;
    if (!parseScanOptions(args, &options)) {
        std::fputs("usage: znscan-cli scan [--wait MS] [--json] [--quiet]\n", stderr);
        return 2;
    }

    ScanServer server;
    if (!options.quiet) {
        QObject::connect(&server, &ScanServer::message, [](const QString &line) {
            std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        });
    }
    server.start();
    if (!server.isStarted())
        return 1;
    server.scanClients();
    QTimer::singleShot(options.waitMs, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();

    printDevices(*server.model()->state(), options.json);
    std::fflush(stdout);
    return 0;
}
