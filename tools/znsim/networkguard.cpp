#include "networkguard.h"

#include <QNetworkInterface>
#include <QRegularExpression>

bool insideHarnessNamespace(QString *why)
{
    if (qEnvironmentVariableIsEmpty("ZN_NETNS")) {
        *why = QStringLiteral("ZN_NETNS is not set");
        return false;
    }
    static const QRegularExpression harnessLink(QStringLiteral("^(lo|zn[td][0-9]+)$"));
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        if (!harnessLink.match(iface.name()).hasMatch()) {
            *why = QStringLiteral("interface %1 is not one of the harness").arg(iface.name());
            return false;
        }
    }
    return true;
}
