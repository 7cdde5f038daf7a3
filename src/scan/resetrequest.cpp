#include "resetrequest.h"

#include "datagram.h"

namespace {

QString kindName(qint32 kind)
{
    switch (kind) {
    case ResetRequest::Auto:
        return QStringLiteral("Auto");
    case ResetRequest::Cold:
        return QStringLiteral("Cold");
    case ResetRequest::Warm:
        return QStringLiteral("Warm");
    default:
        return QString::number(kind);
    }
}

} // namespace

QString ResetRequest::toString() const
{
    QString text = kindName(kind) + u' ' + (method == MacReset ? QStringLiteral("MAC") : QString::number(method));
    if (!target.isEmpty())
        text += u'(' + target + u')';
    return text;
}

bool ResetRequest::parseTarget(const QString &target, Mac *mac, QString *error)
{
    if (Mac::parse(target, mac))
        return true;
    *error = QStringLiteral("%1 is not a valid MAC address").arg(target);
    return false;
}

QByteArray ResetRequest::buildDatagram()
{
    Mac mac;
    if (!parseTarget(target, &mac, &error))
        return {};
    uint8_t buffer[256];
    zn::DatagramBuilder builder = zn::datagramBegin(mac.value(), buffer, sizeof buffer, zn::OpReset);
    if (kind != Auto) {
        const auto kindByte = uint8_t(kind);
        zn::datagramAppendData(&builder, zn::TagResetKind, &kindByte, 1);
    }
    return QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(zn::datagramFinish(&builder)));
}
