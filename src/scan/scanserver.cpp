#include "scanserver.h"

#include "datagram.h"
#include "decodedclientinfo.h"
#include "messageline.h"
#include "resetrequest.h"
#include "scanclientitem.h"
#include "scanclientregistry.h"
#include "scanstate.h"
#include "scanstatemodel.h"
#include "udpsocket.h"

#include <QTimer>
#include <cstring>

ScanServer::ScanServer(QObject *parent)
    : QObject(parent)
{
    ScanClientInfo::registerMetaType();
    ScanClientRegistry::registerMetaType();
    m_model = new ScanStateModel(this);
    m_scanTimer = new QTimer(this);
    m_scanTimer->setSingleShot(true);
    // The devices want the requests at least 50 ms apart. The timer is armed
    // only once a request has gone out and never fires early, so a busy event
    // loop can delay a request but never bring two closer together; the loop
    // keeps running meanwhile.
    m_discoveryTimer = new QTimer(this);
    m_discoveryTimer->setSingleShot(true);
    m_discoveryTimer->setTimerType(Qt::PreciseTimer);
    m_discoveryTimer->setInterval(kDiscoveryPauseMs);
    connect(m_discoveryTimer, &QTimer::timeout, this, &ScanServer::sendDiscoveryRequest);
}

ScanServer::~ScanServer() = default;

bool ScanServer::isScanning() const
{
    return m_scanTimer->isActive();
}

void ScanServer::report(const QString &text)
{
    Q_EMIT message(QStringLiteral("[Scan] ") + text);
}

void ScanServer::reportWarning(const QString &text)
{
    Q_EMIT message(warningLine(QStringLiteral("[Scan] "), text));
    Q_EMIT warning(text);
}

void ScanServer::reportError(const QString &text)
{
    Q_EMIT message(errorLine(QStringLiteral("[Scan] "), text));
    Q_EMIT error(text);
}

void ScanServer::start()
{
    if (m_socket)
        return;
    m_socket = new UDPSocket(this);
    // Direct connection: the datagram bytes live only while the signal is delivered.
    connect(m_socket, &UDPSocket::received, this, &ScanServer::onReceived, Qt::DirectConnection);
    connect(m_socket, &UDPSocket::error, this, &ScanServer::error);
    connect(m_socket, &UDPSocket::warning, this, &ScanServer::warning);
    connect(m_socket, &UDPSocket::message, this, &ScanServer::message);
    if (m_socket->bind(kPort)) {
        report(tr("Scanner started on Any:%1.").arg(kPort));
    } else {
        delete m_socket;
        m_socket = nullptr;
        reportError(tr("Scanner failed to start."));
    }
}

void ScanServer::stop()
{
    if (!m_socket)
        return;
    UDPSocket *socket = m_socket;
    m_socket = nullptr;
    delete socket;
    report(tr("Scanner stopped"));
}

void ScanServer::scanClients()
{
    report(tr("Calling all stations"));
    m_scanTimer->start(kScanWindowMs);
    m_listFullReported = false;
    m_discoveryRequestsDue = kDiscoveryRepeats;
    // Within 50 ms of the last request the first one waits for the timer.
    if (!m_discoveryTimer->isActive())
        sendDiscoveryRequest();
}

void ScanServer::sendDiscoveryRequest()
{
    if (m_discoveryRequestsDue <= 0)
        return;
    --m_discoveryRequestsDue;
    sendCommand(nullptr, zn::OpDiscoverRequest);
    m_discoveryTimer->start(); // no request goes out within 50 ms of this one
}

void ScanServer::buzzClient(ScanClientItem *cli)
{
    if (cli)
        sendCommand(cli, zn::OpBuzz);
}

void ScanServer::resetClient(ScanClientItem *cli)
{
    if (!cli)
        return;
    ResetRequest request;
    request.method = ResetRequest::MacReset;
    request.kind = ResetRequest::Cold;
    request.target = cli->info.mac.toString();
    reset(request);
}

void ScanServer::reset(ResetRequest &request)
{
    report(QStringLiteral("Reset ") + request.toString());
    const QByteArray datagram = request.buildDatagram();
    if (datagram.isEmpty())
        reportWarning(request.error);
    else
        send(datagram.constData(), size_t(datagram.size()));
}

void ScanServer::send(const void *data, size_t len)
{
    if (m_socket)
        m_socket->broadcast(data, len, "DISCOVERY");
    else
        reportError(QStringLiteral("send: No socket"));
}

void ScanServer::sendCommand(ScanClientItem *cli, int opcode)
{
    uint8_t buffer[zn::kDatagramBufferSize];
    const uint64_t mac = cli ? cli->info.mac.value() : 0;
    zn::DatagramBuilder builder = zn::datagramBegin(mac, buffer, sizeof buffer, uint16_t(opcode));
    const size_t len = zn::datagramFinish(&builder);
    send(buffer, len);
}

void ScanServer::onReceived(const QHostAddress &peer, int peer_port, const void *data, size_t len)
{
    const auto *bytes = static_cast<const uint8_t *>(data);
    if (len < zn::kFrameMinSize || std::memcmp(bytes, zn::kMagic, zn::kMagicSize) != 0 || peer_port != kPort)
        return;
    report(QStringLiteral("%1 bytes received from %2 (%3)").arg(len).arg(peer.toString(), QStringLiteral("DISCOVER")));

    zn::DecodedDatagram decoded;
    switch (zn::datagramDecode(peer.toIPv4Address(), bytes, len, &decoded)) {
    case zn::DecodeStatus::Dropped:
        return;
    case zn::DecodeStatus::CrcError:
        reportError(QString::asprintf("CRC ERROR len=%u my=0x%02X his=0x%02X", unsigned(len),
                                      unsigned(decoded.crcCarried), unsigned(decoded.crcComputed)));
        return;
    case zn::DecodeStatus::Ok:
        break;
    }
    switch (decoded.opcode) {
    case zn::OpDiscoverAnswer:
        onDiscoveryAnswer(clientInfoFromDecoded(decoded.identity));
        break;
    case zn::OpDataBlock:
        onDataBlock(decoded.block);
        break;
    case zn::OpBlockRequest:
        onBlockRequest(decoded.block);
        break;
    case zn::OpTransferDenied:
        onTransferRefused(decoded.block, tr("Config transfer denied by %1"));
        break;
    case zn::OpTransferError:
        onTransferRefused(decoded.block, tr("Config transfer error at %1"));
        break;
    default:
        break;
    }
}

void ScanServer::onDiscoveryAnswer(const ScanClientInfo &info)
{
    report(QString::asprintf("Discover: mac=%s board=0x%08X(%s) cpu=0x%08X serial=0x%016llX made=%s",
                             info.mac.toString().toLocal8Bit().constData(), unsigned(info.board),
                             printableText(info.boardName).toLocal8Bit().constData(), unsigned(info.cpu),
                             static_cast<unsigned long long>(info.serial),
                             info.made.toLocalTime().toString(Qt::TextDate).toLocal8Bit().constData()));

    const QList<ScanClientItem *> known = m_model->state()->findByMac(info.mac);
    const bool scanning = m_scanTimer->isActive();
    for (ScanClientItem *item : known) {
        if (scanning)
            m_model->flashClient(item);
        if (item->info.differsFrom(info)) {
            item->info = info;
            discovered(item);
        }
    }
    if (!known.isEmpty())
        return;
    if (m_model->rowCount() >= MaxListedDevices) {
        if (!m_listFullReported)
            reportWarning(tr("Device list full: %1 devices listed, new ones are ignored").arg(MaxListedDevices));
        m_listFullReported = true;
        return;
    }

    auto *item = new ScanClientItem();
    item->info = info;
    m_model->addClient(item);
    if (scanning)
        m_model->flashClient(item);
    discovered(item);
}

void ScanServer::discovered(ScanClientItem *item)
{
    m_model->clientChanged(item);
    report(QStringLiteral("Discovered %1 at %2").arg(printableText(item->info.serialText()), item->info.mac.toString()));
}
