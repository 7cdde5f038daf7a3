#include "simulator.h"

#include "datagram.h"
#include "mac.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>

#include <cstdio>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <time.h>

namespace {

// A refused send (socket buffer full) is tried again this much later, at most
// this many times.
constexpr int kRetryDelayMs = 2;
constexpr int kMaxSendFailures = 250;
constexpr int kReceiveBufferSize = 8 * 1024 * 1024;

QString peerText(const Destination &from)
{
    return QStringLiteral("%1:%2").arg(from.address.toString()).arg(from.port);
}

// When the kernel took in the datagram last read from the socket (wall clock,
// seconds with microseconds), so that the spacing of requests is seen as the
// devices get them, not as a busy event loop reads them.
QString receiveTime(qintptr socket)
{
    timespec stamp{};
    if (ioctl(int(socket), SIOCGSTAMPNS, &stamp) != 0)
        clock_gettime(CLOCK_REALTIME, &stamp);
    return QStringLiteral("%1.%2").arg(qint64(stamp.tv_sec)).arg(qint64(stamp.tv_nsec / 1000), 6, 10, QLatin1Char('0'));
}

} // namespace

Simulator::Simulator(const QList<SimDevice> &devices, const Options &options, QObject *parent)
    : QObject(parent)
    , m_devices(devices)
    , m_options(options)
    , m_random(quint32(options.seed ^ (options.seed >> 32)))
    , m_socket(this)
    , m_scheduleTimer(this)
{
    for (int i = 0; i < m_devices.size(); ++i) {
        m_answers.append(deviceAnswer(m_devices[i]));
        m_devicesByMac.insert(m_devices[i].identity.mac, i);
    }
    m_scheduleTimer.setSingleShot(true);
    m_scheduleTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_scheduleTimer, &QTimer::timeout, this, &Simulator::sendDueAnswers);
    connect(&m_socket, &QUdpSocket::readyRead, this, &Simulator::onReadyRead);
    m_clock.start();
}

void Simulator::registerHandler(quint16 opcode, const CommandHandler &handler)
{
    m_handlers.insert(opcode, handler);
}

bool Simulator::bind(QString *error)
{
    if (!m_socket.bind(QHostAddress::AnyIPv4, zn::kScanPort,
                       QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        *error = QStringLiteral("cannot bind UDP port %1: %2").arg(zn::kScanPort).arg(m_socket.errorString());
        return false;
    }
    // Thousands of answers are looped back to this socket in one burst.
    m_socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kReceiveBufferSize);
    receiveTime(m_socket.socketDescriptor()); // the first query turns the kernel's stamping on
    m_ownAddresses = QNetworkInterface::allAddresses();
    return true;
}

Destination Simulator::broadcastDestination()
{
    return Destination{QHostAddress(QHostAddress::Broadcast), zn::kScanPort};
}

Destination Simulator::replyDestination(const Destination &requester) const
{
    return m_options.replyUnicast ? requester : broadcastDestination();
}

bool Simulator::send(const QByteArray &datagram, const Destination &to)
{
    return m_socket.writeDatagram(datagram, to.address, to.port) == datagram.size();
}

bool Simulator::sendRaw(const QByteArray &datagram, quint16 fromPort, QString *error)
{
    if (fromPort == zn::kScanPort) {
        if (send(datagram, broadcastDestination()))
            return true;
        *error = m_socket.errorString();
        return false;
    }
    QUdpSocket other;
    if (!other.bind(QHostAddress::AnyIPv4, fromPort)
        || other.writeDatagram(datagram, QHostAddress(QHostAddress::Broadcast), zn::kScanPort) != datagram.size()) {
        *error = other.errorString();
        return false;
    }
    return true;
}

void Simulator::log(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void Simulator::onReadyRead()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        handleDatagram(datagram.data(), Destination{datagram.senderAddress(), quint16(datagram.senderPort())});
    }
}

// Broadcasts come back to the socket that sent them.
bool Simulator::isOwnDatagram(const Destination &from) const
{
    return from.port == zn::kScanPort && m_ownAddresses.contains(from.address);
}

void Simulator::handleDatagram(const QByteArray &datagram, const Destination &from)
{
    if (isOwnDatagram(from))
        return;
    const auto *bytes = reinterpret_cast<const uint8_t *>(datagram.constData());
    const auto len = size_t(datagram.size());
    zn::DecodedDatagram decoded;
    switch (zn::datagramCheckFrame(bytes, len, &decoded)) {
    case zn::DecodeStatus::Dropped:
        log(QStringLiteral("ignored foreign len=%1 from %2").arg(len).arg(peerText(from)));
        return;
    case zn::DecodeStatus::CrcError:
        log(QStringLiteral("ignored crc len=%1 carried=0x%2 computed=0x%3 from %4")
                .arg(len)
                .arg(decoded.crcCarried, 2, 16, QLatin1Char('0'))
                .arg(decoded.crcComputed, 2, 16, QLatin1Char('0'))
                .arg(peerText(from)));
        return;
    case zn::DecodeStatus::Ok:
        break;
    }
    if (decoded.opcode == zn::OpDiscoverRequest) {
        log(QStringLiteral("discover from %1 at=%2").arg(peerText(from), receiveTime(m_socket.socketDescriptor())));
        scheduleAnswers(from);
        return;
    }
    if (zn::datagramDecode(from.address.toIPv4Address(), bytes, len, &decoded) != zn::DecodeStatus::Ok) {
        log(QStringLiteral("ignored malformed op=%1 len=%2 from %3").arg(decoded.opcode).arg(len).arg(peerText(from)));
        return;
    }
    const QString mac = Mac(decoded.identity.mac).toString();
    const QList<int> targets = m_devicesByMac.values(decoded.identity.mac);
    const auto handler = m_handlers.constFind(decoded.opcode);
    if (targets.isEmpty() || handler == m_handlers.constEnd()) {
        log(QStringLiteral("ignored %1 op=%2 mac=%3 from %4")
                .arg(targets.isEmpty() ? QStringLiteral("unknown-mac") : QStringLiteral("opcode"))
                .arg(decoded.opcode)
                .arg(mac, peerText(from)));
        return;
    }
    const Command command{decoded, datagram, from};
    for (int index : targets)
        (*handler)(*this, m_devices[index], command);
}

void Simulator::scheduleAnswers(const Destination &requester)
{
    const Destination to = replyDestination(requester);
    const qint64 now = m_clock.elapsed();
    for (int i = 0; i < m_devices.size(); ++i)
        m_schedule.add(now + qint64(m_random.bounded(m_options.spreadMs + 1)), i, to);
    armScheduleTimer();
}

void Simulator::sendDueAnswers()
{
    const qint64 now = m_clock.elapsed();
    while (!m_schedule.isEmpty() && m_schedule.next().dueMs <= now) {
        AnswerSchedule::Entry entry = m_schedule.takeNext();
        if (send(m_answers[entry.device], entry.to))
            continue;
        if (++entry.failures < kMaxSendFailures) {
            // The socket buffer is full: keep the entry at the head and wait for it to drain.
            m_schedule.add(entry.dueMs, entry.device, entry.to, entry.failures);
            m_scheduleTimer.start(kRetryDelayMs);
            return;
        }
        log(QStringLiteral("error answer of mac=%1 not sent: %2")
                .arg(Mac(m_devices[entry.device].identity.mac).toString(), m_socket.errorString()));
    }
    armScheduleTimer();
}

void Simulator::armScheduleTimer()
{
    if (m_schedule.isEmpty())
        return;
    const qint64 wait = qMax<qint64>(0, m_schedule.next().dueMs - m_clock.elapsed());
    m_scheduleTimer.start(int(wait));
}
