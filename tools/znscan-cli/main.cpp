// Headless front end on the scanning engine, for scripts and for machines
// without a display.
#include "backupcommand.h"
#include "commandgroup.h"
#include "configcommand.h"
#include "devicecommand.h"
#include "scancommand.h"

#include <QCoreApplication>

namespace {

const Subcommand kCommands[] = {
    {"scan", "One scan; the devices found, in list order, on standard output.", runScanCommand},
    {"config", "Configuration files and transfers: config show, diff, get, put.", runConfigCommand},
    {"backup", "One scan, then every device's configuration into a folder.", runBackupCommand},
    {"buzz", "Makes the device with that MAC address buzz.", runBuzzCommand},
    {"reset", "Cold-resets the device with that MAC address.", runResetCommand},
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("znscan"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quillon"));

    // Usage lines name the program, not the path it was started by.
    QStringList arguments = QCoreApplication::arguments();
    arguments.first() = QStringLiteral("znscan-cli");
    return runCommandGroup(arguments,
                           QStringLiteral("Headless front end on the scanning engine of znscan, for scripts and for\n"
                                          "machines without a display."),
                           kCommands, zn::CommandLine::Program);
}
