#include "simdevice.h"

#include "ipv4.h"
#include "mac.h"

#include <QDateTime>
#include <QHash>
#include <QStringList>
#include <QTimeZone>

#include <limits>

namespace {

// The devices count manufacturing time from 2000-01-01 00:00:00 UTC.
constexpr qint64 kEpoch2000 = 946684800;

// Decimal or "0x" hexadecimal, within [min, max].
bool parseInteger(const QString &text, qint64 min, quint64 max, qint64 *signedValue, quint64 *unsignedValue)
{
    bool ok = false;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        *unsignedValue = text.mid(2).toULongLong(&ok, 16);
        *signedValue = qint64(*unsignedValue);
        return ok && *unsignedValue <= max;
    }
    if (text.startsWith(QLatin1Char('-'))) {
        *signedValue = text.toLongLong(&ok, 10);
        *unsignedValue = 0;
        return ok && *signedValue >= min;
    }
    *unsignedValue = text.toULongLong(&ok, 10);
    *signedValue = qint64(*unsignedValue);
    return ok && *unsignedValue <= max;
}

template <typename T>
bool setInteger(T *field, const QString &text)
{
    qint64 s = 0;
    quint64 u = 0;
    if (!parseInteger(text, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), &s, &u))
        return false;
    *field = std::numeric_limits<T>::is_signed ? T(s) : T(u);
    return true;
}

// Exactly four decimal numbers 0..255 (no short or octal forms).
bool setIPv4(uint32_t *field, const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    uint32_t address = 0;
    for (const QString &part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok, 10);
        if (!ok || value > 255 || part.size() > 3)
            return false;
        address = address << 8 | value;
    }
    *field = address;
    return true;
}

// ISO 8601 UTC, or a plain number of seconds since 2000; empty, "none" or
// "null" for a device that sends no date.
bool setMade(zn::DecodedIdentity *identity, const QString &text)
{
    identity->hasMade = false;
    identity->madeSince2000 = 0;
    if (text.isEmpty() || text == QLatin1String("none") || text == QLatin1String("null"))
        return true;
    if (setInteger(&identity->madeSince2000, text)) {
        identity->hasMade = true;
        return true;
    }
    QDateTime made = QDateTime::fromString(text, Qt::ISODate);
    if (!made.isValid())
        return false;
    if (made.timeSpec() == Qt::LocalTime)
        made = QDateTime(made.date(), made.time(), QTimeZone::utc());
    const qint64 since2000 = made.toSecsSinceEpoch() - kEpoch2000;
    if (since2000 < 0 || since2000 > qint64(std::numeric_limits<quint32>::max()))
        return false;
    identity->hasMade = true;
    identity->madeSince2000 = quint32(since2000);
    return true;
}

// The versions are 16-bit on the wire.
bool setVersion(uint32_t *field, const QString &text)
{
    quint16 version = 0;
    if (!setInteger(&version, text))
        return false;
    *field = version;
    return true;
}

bool setFlag(bool *field, const QString &text)
{
    if (text != QLatin1String("0") && text != QLatin1String("1"))
        return false;
    *field = text == QLatin1String("1");
    return true;
}

using FieldSetter = std::function<bool(SimDevice *, const QString &)>;

const QHash<QString, FieldSetter> &fieldSetters()
{
    static const QHash<QString, FieldSetter> setters = {
        {QStringLiteral("mac"), [](SimDevice *d, const QString &v) {
             Mac mac;
             if (!Mac::parse(v, &mac, kSimVendorPrefix))
                 return false;
             d->identity.mac = mac.value();
             return true;
         }},
        {QStringLiteral("ip"), [](SimDevice *d, const QString &v) { return setIPv4(&d->identity.ip, v); }},
        {QStringLiteral("netmask"), [](SimDevice *d, const QString &v) { return setIPv4(&d->identity.netmask, v); }},
        {QStringLiteral("gateway"), [](SimDevice *d, const QString &v) { return setIPv4(&d->identity.gateway, v); }},
        {QStringLiteral("networkMode"), [](SimDevice *d, const QString &v) { return setInteger(&d->identity.networkMode, v); }},
        {QStringLiteral("developmentMode"),
         [](SimDevice *d, const QString &v) { return setInteger(&d->identity.developmentMode, v); }},
        {QStringLiteral("board"), [](SimDevice *d, const QString &v) { return setInteger(&d->identity.board, v); }},
        {QStringLiteral("cpu"), [](SimDevice *d, const QString &v) { return setInteger(&d->identity.cpu, v); }},
        {QStringLiteral("serial"), [](SimDevice *d, const QString &v) { return setInteger(&d->identity.serial, v); }},
        {QStringLiteral("made"), [](SimDevice *d, const QString &v) { return setMade(&d->identity, v); }},
        {QStringLiteral("versionS"), [](SimDevice *d, const QString &v) { return setVersion(&d->identity.versionS, v); }},
        {QStringLiteral("versionD"), [](SimDevice *d, const QString &v) { return setVersion(&d->identity.versionD, v); }},
        {QStringLiteral("boardName"), [](SimDevice *d, const QString &v) { d->boardName = v; return true; }},
        {QStringLiteral("remark"), [](SimDevice *d, const QString &v) { d->remark = v; return true; }},
        {QStringLiteral("badcrc"), [](SimDevice *d, const QString &v) { return setFlag(&d->badCrc, v); }},
    };
    return setters;
}

QString jsonValueText(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Double:
        return QString::number(value.toInteger());
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QJsonValue::Null:
        return QString();
    default:
        return value.toString();
    }
}

} // namespace

bool setDeviceField(SimDevice *device, const QString &key, const QString &value, QString *error)
{
    const auto setter = fieldSetters().constFind(key);
    if (setter == fieldSetters().constEnd()) {
        *error = QStringLiteral("unknown device key \"%1\"").arg(key);
        return false;
    }
    if (!(*setter)(device, value)) {
        *error = QStringLiteral("bad value \"%1\" for %2").arg(value, key);
        return false;
    }
    return true;
}

bool parseDeviceSpec(const QString &spec, SimDevice *device, QString *error)
{
    *device = SimDevice();
    bool hasMac = false;
    for (const QString &pair : spec.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (eq < 0) {
            *error = QStringLiteral("\"%1\" is not key=value").arg(pair);
            return false;
        }
        const QString key = pair.left(eq).trimmed();
        if (!setDeviceField(device, key, pair.mid(eq + 1), error))
            return false;
        hasMac = hasMac || key == QLatin1String("mac");
    }
    if (!hasMac) {
        *error = QStringLiteral("device \"%1\" has no mac").arg(spec);
        return false;
    }
    return true;
}

bool deviceFromJson(const QJsonObject &json, SimDevice *device, QString *error)
{
    *device = SimDevice();
    if (!json.contains(QLatin1String("mac"))) {
        *error = QStringLiteral("device without \"mac\"");
        return false;
    }
    for (auto it = json.constBegin(); it != json.constEnd(); ++it) {
        if (!setDeviceField(device, it.key(), jsonValueText(it.value()), error))
            return false;
    }
    return true;
}

QJsonObject deviceToJson(const SimDevice &device)
{
    const zn::DecodedIdentity &d = device.identity;
    QJsonObject json;
    json.insert(QStringLiteral("mac"), Mac(d.mac).toString());
    json.insert(QStringLiteral("ip"), ipv4ToString(d.ip));
    json.insert(QStringLiteral("netmask"), ipv4ToString(d.netmask));
    json.insert(QStringLiteral("gateway"), ipv4ToString(d.gateway));
    json.insert(QStringLiteral("networkMode"), d.networkMode);
    // The scanner keeps only "on" or "off" of whatever the device reports.
    json.insert(QStringLiteral("developmentMode"), d.developmentMode == -1 ? -1 : d.developmentMode != 0);
    json.insert(QStringLiteral("board"), qint64(d.board));
    json.insert(QStringLiteral("cpu"), qint64(d.cpu));
    json.insert(QStringLiteral("versionS"), qint64(d.versionS));
    json.insert(QStringLiteral("versionD"), qint64(d.versionD));
    json.insert(QStringLiteral("boardName"), device.boardName);
    json.insert(QStringLiteral("remark"), device.remark);
    json.insert(QStringLiteral("serial"),
                QStringLiteral("0x") + QStringLiteral("%1").arg(d.serial, 16, 16, QLatin1Char('0')).toUpper());
    json.insert(QStringLiteral("made"),
                d.hasMade ? QJsonValue(QDateTime::fromSecsSinceEpoch(qint64(d.madeSince2000) + kEpoch2000,
                                                                          QTimeZone::utc())
                                                 .toUTC() // written with "Z"
                                                 .toString(Qt::ISODate))
                                : QJsonValue(QJsonValue::Null));
    return json;
}

QByteArray deviceFrame(const SimDevice &device, quint16 opcode,
                       const std::function<void(zn::DatagramBuilder *)> &records)
{
    QByteArray frame(qsizetype(zn::kDatagramBufferSize), Qt::Uninitialized);
    auto *buffer = reinterpret_cast<uint8_t *>(frame.data());
    zn::DatagramBuilder builder = zn::datagramBegin(device.identity.mac, buffer, size_t(frame.size()), opcode);
    records(&builder);
    const size_t length = zn::datagramFinish(&builder);
    frame.truncate(qsizetype(length));
    if (device.badCrc && length > 0)
        frame[frame.size() - 1] = char(frame.back() ^ 0x5A);
    return frame;
}

QByteArray deviceAnswer(const SimDevice &device)
{
    const QByteArray boardName = device.boardName.toUtf8();
    const QByteArray remark = device.remark.toUtf8();
    zn::DecodedIdentity identity = device.identity;
    identity.boardName = boardName.constData();
    identity.boardNameSize = size_t(boardName.size());
    identity.remark = remark.constData();
    identity.remarkSize = size_t(remark.size());
    return deviceFrame(device, zn::OpDiscoverAnswer,
                       [&identity](zn::DatagramBuilder *b) { zn::datagramAppendIdentity(b, identity); });
}
