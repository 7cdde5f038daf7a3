#include "udpsocket.h"

#include "messageline.h"

#include <QElapsedTimer>
#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QUdpSocket>

#include <algorithm>

namespace {

constexpr size_t kReceiveBufferSize = 2048;
// Reading stops after this long, also while datagrams keep coming, so that the
// event loop runs; it comes back at once for the rest.
constexpr qint64 kReadSliceMs = 20;
// Thousands of devices answer one scan within a second; a deep kernel queue
// keeps a burst from being dropped while the event loop is busy.
constexpr int kKernelReceiveBuffer = 8 * 1024 * 1024;
const QUdpSocket::BindMode kSharedBind = QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint;

QUdpSocket *newUnproxiedSocket(QObject *parent)
{
    auto *socket = new QUdpSocket(parent);
    socket->setProxy(QNetworkProxy(QNetworkProxy::NoProxy, QString(), 0, QString(), QString()));
    return socket;
}

// Loopback and tunnel interfaces have an empty or all-zero hardware address;
// only interfaces with a real one lead to a controller segment.
bool hasHardwareAddress(const QNetworkInterface &iface)
{
    if (iface.flags().testFlag(QNetworkInterface::IsLoopBack))
        return false;
    const QString text = iface.hardwareAddress();
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetterOrNumber() && c != u'0'; });
}

} // namespace

UDPSocket::UDPSocket(QObject *parent)
    : QObject(parent)
{
}

UDPSocket::~UDPSocket()
{
    for (SocketEntry *entry : std::as_const(sockets)) {
        delete entry->socket;
        delete entry;
    }
    sockets.clear();
    port = -1;
}

void UDPSocket::warn(const QString &text)
{
    Q_EMIT message(warningLine(QStringLiteral("[Socket] "), text));
    Q_EMIT warning(text);
}

void UDPSocket::fail(const QString &text)
{
    Q_EMIT message(errorLine(QStringLiteral("[Socket] "), text));
    Q_EMIT error(text);
}

// Three attempts: shared twice (the first may lose a race with another
// program's socket), then unshared. `label` is "ANY" or the dotted address.
QUdpSocket *UDPSocket::bindWithRetries(const QHostAddress &address, int bindPort, const QString &label)
{
    QUdpSocket *socket = newUnproxiedSocket(this);
    const QString where = QStringLiteral("UDP %1:%2").arg(label).arg(bindPort);
    const quint16 port16 = quint16(bindPort);
    bool bound = socket->bind(address, port16, kSharedBind);
    if (!bound) {
        warn(where + QStringLiteral(": ") + socket->errorString()
             + QStringLiteral(" (Shared bind failed, trying SO_REUSEPORT)"));
        bound = socket->bind(address, port16, kSharedBind);
    }
    if (!bound) {
        warn(where + QStringLiteral(": ") + socket->errorString()
             + QStringLiteral(" (Shared bind failed again, trying unshared)"));
        bound = socket->bind(address, port16);
    }
    if (!bound) {
        fail(where + QStringLiteral(": ") + socket->errorString());
        delete socket;
        return nullptr;
    }
    socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kKernelReceiveBuffer);
    Q_EMIT message(QStringLiteral("[Socket] ") + where + QStringLiteral(": bound"));
    return socket;
}

void UDPSocket::addSocket(QUdpSocket *socket, const QNetworkAddressEntry &address)
{
    sockets.append(new SocketEntry{socket, address});
    connect(socket, &QUdpSocket::readyRead, this, &UDPSocket::onReadyRead);
}

bool UDPSocket::bind(int newPort)
{
    if (port >= 0) {
        fail(QStringLiteral("Already bound to %1").arg(port));
        return false;
    }
    QUdpSocket *wildcard = bindWithRetries(QHostAddress(QHostAddress::AnyIPv4), newPort, QStringLiteral("ANY"));
    if (!wildcard)
        return false;
    port = newPort;
    addSocket(wildcard, QNetworkAddressEntry());
    bindInterfaces(newPort);
    return !sockets.isEmpty();
}

void UDPSocket::bindInterfaces(int bindPort)
{
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        if (!iface.isValid())
            continue;
        if (!hasHardwareAddress(iface))
            continue;
        const QList<QNetworkAddressEntry> entries = iface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            const quint32 ip = entry.ip().toIPv4Address();
            if (ip == 0 || ip == 0xFFFFFFFFu)
                continue;
            const QHostAddress address(ip);
            if (QUdpSocket *socket = bindWithRetries(address, bindPort, address.toString()))
                addSocket(socket, entry);
        }
    }
}

bool UDPSocket::broadcast(const void *data, size_t len, const char *label)
{
    if (sockets.isEmpty())
        return false;
    bool result = true;
    const QByteArray datagram = QByteArray::fromRawData(static_cast<const char *>(data), qsizetype(len));
    const QList<SocketEntry *> entries = sockets;
    for (const SocketEntry *entry : entries) {
        const QString where = QStringLiteral("[%1:%2]: ").arg(entry->address.ip().toString()).arg(port);
        if (entry->socket->writeDatagram(datagram, QHostAddress(QHostAddress::Broadcast), quint16(port)) < 0) {
            fail(where + entry->socket->errorString());
            result = false;
        } else if (label) {
            Q_EMIT message(QStringLiteral("[Socket] ") + where + QStringLiteral("Sent (%1)").arg(QLatin1String(label)));
        }
    }
    return result;
}

void UDPSocket::onReadyRead()
{
    auto *socket = qobject_cast<QUdpSocket *>(sender());
    if (!socket)
        return;
    unsigned char buffer[kReceiveBufferSize];
    QHostAddress peer;
    quint16 peerPort = 0;
    QElapsedTimer busy;
    busy.start();
    while (busy.elapsed() < kReadSliceMs && socket->hasPendingDatagrams()) {
        const qint64 got = socket->readDatagram(reinterpret_cast<char *>(buffer), sizeof buffer, &peer, &peerPort);
        if (got < 0)
            break;
        if (peer.protocol() == QAbstractSocket::IPv4Protocol)
            Q_EMIT received(peer, int(peerPort), buffer, size_t(got));
    }
}
