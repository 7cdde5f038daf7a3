#include "configfiles.h"

#include "configfileio.h"
#include "scanclientregistry.h"

#include <cstdio>

void printError(const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stderr);
}

bool loadConfigFile(const QString &path, QByteArray *blob)
{
    QString error;
    if (readConfigFile(path, ScanClientRegistry::Capacity, blob, &error))
        return true;
    printError(QStringLiteral("%1: %2").arg(path, error));
    return false;
}

bool saveConfigFile(const QString &path, QByteArrayView blob)
{
    QString error;
    if (writeConfigFile(path, blob, &error))
        return true;
    printError(QStringLiteral("%1: %2").arg(path, error));
    return false;
}
