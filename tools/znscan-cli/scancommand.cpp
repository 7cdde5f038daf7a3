#include "scancommand.h"

#include "clientjson.h"
#include "commandline.h"
#include "ipv4.h"
#include "messageline.h"
#include "scanclientitem.h"
#include "scanserver.h"
#include "scanstate.h"
#include "scanstatemodel.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimer>
#include <cstdio>

namespace {

// The JSON values as RFC 4180 text: a field with a comma, a quote or a line
// break is quoted, its quotes doubled; lines end with CR LF.
QString csvField(const QJsonValue &value)
{
    QString text;
    if (value.isString())
        text = value.toString();
    else if (value.isDouble())
        text = QString::number(value.toInteger());
    else if (value.isBool())
        text = value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    static const QRegularExpression special(QStringLiteral("[,\"\r\n]"));
    if (text.contains(special))
        text = QLatin1Char('"') + text.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
    return text;
}

void printCsv(const ScanState &devices)
{
    const QStringList keys = clientInfoKeys();
    QString out = keys.join(QLatin1Char(',')) + QLatin1String("\r\n");
    for (int row = 0; row < devices.count(); ++row) {
        const QJsonObject json = clientInfoToJson(devices.at(row)->info);
        QStringList fields;
        for (const QString &key : keys)
            fields << csvField(json.value(key));
        out += fields.join(QLatin1Char(',')) + QLatin1String("\r\n");
    }
    std::fputs(out.toUtf8().constData(), stdout);
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
        const QString line = QStringLiteral("%1  %2  %3\n").arg(info.mac.toString(), ip.leftJustified(15),
                                                                     printableText(info.serialDescription()));
        std::fputs(line.toLocal8Bit().constData(), stdout);
    }
}

} // namespace

ScanOptions::ScanOptions(zn::CommandLine *command)
    : m_command(command)
    , m_wait(QStringLiteral("wait"), QStringLiteral("Waits MS milliseconds after the scan (default 3000)."),
             QStringLiteral("MS"), QStringLiteral("3000"))
    , m_quiet(QStringLiteral("quiet"), QStringLiteral("Leaves out the message lines."))
{
    command->parser().addOptions({m_wait, m_quiet});
}

std::optional<int> ScanOptions::check()
{
    bool ok = false;
    m_waitMs = m_command->parser().value(m_wait).toInt(&ok);
    if (!ok || m_waitMs < 0)
        return m_command->usageError(QStringLiteral("--wait wants a number of milliseconds."));
    return std::nullopt;
}

bool ScanOptions::scan(ScanServer &server) const
{
    if (!m_command->parser().isSet(m_quiet)) {
        QObject::connect(&server, &ScanServer::message, [](const QString &line) {
            std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        });
    }
    server.start();
    if (!server.isStarted())
        return false;
    server.scanClients();
    QTimer::singleShot(m_waitMs, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    return true;
}

int runScanCommand(const QStringList &arguments)
{
    zn::CommandLine command(
        arguments.first(), QStringLiteral("[options]"),
        QStringLiteral("Scans once on the engine of znscan, waits, then prints the devices found in list\n"
                       "order, one a line: MAC address, IP address, serial number and versions. Message\n"
                       "lines go to standard error. Exit status: 0 done, 1 the scanner cannot start (port\n"
                       "65533 is held by another program), 2 usage error."),
        zn::CommandLine::Subcommand);
    ScanOptions options(&command);
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Prints the devices as a JSON array."));
    const QCommandLineOption csv(QStringLiteral("csv"),
                                 QStringLiteral("Prints the devices as CSV with a header line, the columns of --json."));
    command.parser().addOptions({json, csv});
    if (const auto exit = command.parse(arguments))
        return *exit;
    if (const auto exit = options.check())
        return *exit;
    if (command.parser().isSet(json) && command.parser().isSet(csv))
        return command.usageError(QStringLiteral("--json and --csv exclude each other."));

    ScanServer server;
    if (!options.scan(server))
        return 1;
    if (command.parser().isSet(csv))
        printCsv(*server.model()->state());
    else
        printDevices(*server.model()->state(), command.parser().isSet(json));
    std::fflush(stdout);
    return 0;
}
