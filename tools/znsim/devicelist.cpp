#include "devicelist.h"

#include "devicegenerator.h"
#include "mac.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

constexpr int kMaxGenerated = 0xFFFFFF; // the index must fit below the vendor prefix

bool readDeviceFile(const QString &path, QList<SimDevice> *devices, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    if (devicesFromJson(file.readAll(), devices, error))
        return true;
    *error = QStringLiteral("%1: %2").arg(path, *error);
    return false;
}

bool markCorrupt(const QString &macText, QList<SimDevice> *devices, QString *error)
{
    Mac mac;
    if (!Mac::parse(macText, &mac, kSimVendorPrefix)) {
        *error = QStringLiteral("\"%1\" is not a MAC address").arg(macText);
        return false;
    }
    bool found = false;
    for (SimDevice &device : *devices) {
        if (device.identity.mac == mac.value()) {
            device.badCrc = true;
            found = true;
        }
    }
    if (!found)
        *error = QStringLiteral("no device has the MAC %1").arg(mac.toString());
    return found;
}

} // namespace

bool devicesFromJson(const QByteArray &text, QList<SimDevice> *devices, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (!document.isArray()) {
        *error = parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                              : QStringLiteral("not a JSON array");
        return false;
    }
    const QJsonArray array = document.array();
    for (qsizetype i = 0; i < array.size(); ++i) {
        SimDevice device;
        if (!array[i].isObject() || !deviceFromJson(array[i].toObject(), &device, error)) {
            *error = QStringLiteral("device %1: %2").arg(i).arg(array[i].isObject() ? *error : QStringLiteral("not an object"));
            return false;
        }
        devices->append(device);
    }
    return true;
}

QByteArray devicesToJson(const QList<SimDevice> &devices)
{
    QJsonArray array;
    for (const SimDevice &device : devices)
        array.append(deviceToJson(device));
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

bool buildDeviceList(const DeviceListSources &sources, QList<SimDevice> *devices, QString *error)
{
    devices->clear();
    if (!sources.file.isEmpty() && !readDeviceFile(sources.file, devices, error))
        return false;
    for (const QString &spec : sources.specs) {
        SimDevice device;
        if (!parseDeviceSpec(spec, &device, error))
            return false;
        devices->append(device);
    }
    if (sources.count < 0 || sources.count > kMaxGenerated) {
        *error = QStringLiteral("--count must be 0 to %1").arg(kMaxGenerated);
        return false;
    }
    devices->append(generateDevices(sources.count, sources.seed));
    for (const QString &mac : sources.corruptMacs) {
        if (!markCorrupt(mac, devices, error))
            return false;
    }
    return true;
}
