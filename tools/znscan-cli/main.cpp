// Headless front end on the scanning engine, for scripts and for machines
// without a display.
#include "configcommand.h"
#include "scancommand.h"

#include <QCoreApplication>
#include <cstdio>

static const char kUsage[] =
    "usage: znscan-cli scan [--wait MS] [--json] [--quiet]\n"
    "       znscan-cli config show FILE.znc [--json]\n";

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("znscan"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quillon"));

    QStringList args = QCoreApplication::arguments().mid(1);
    const QString command = args.isEmpty() ? QString() : args.takeFirst();
    if (command == QLatin1String("scan"))
        return runScanCommand(args);
    if (command == QLatin1String("config"))
        return runConfigCommand(args);
    std::fputs(kUsage, stderr);
    return 2;
}
