#include "privatenetwork.h"

#include <QNetworkInterface>

bool insidePrivateNetwork(QString *why)
{
    if (qEnvironmentVariableIsEmpty("ZN_NETNS")) {
        *why = QStringLiteral("ZN_NETNS is not set (run the test through tools/netns/znnet-run)");
        return false;
    }
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        const QString name = iface.name();
        if (name != QLatin1String("lo") && !name.startsWith(QLatin1String("znt"))) {
            *why = QStringLiteral("unexpected interface %1").arg(name);
            return false;
        }
    }
    return true;
}
