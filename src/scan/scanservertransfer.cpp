// The configuration transfer of the scan server: a stop-and-wait block
// protocol driven by the device. The tool keeps exactly one datagram
// outstanding per device and repeats it until the device answers; answers are
// matched to transfers by MAC through the transfer set.
#include "scanserver.h"

#include "datagram.h"
#include "registrydefaults.h"
#include "scanclientitem.h"
#include "scantftpstate.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace {

constexpr quint32 kBlockSize = 1280;
constexpr quint32 kMaxDownloadSize = 0x100000; // 1 MiB

} // namespace

ScanTFTPState *ScanServer::createState(ScanClientItem *cli, int mode)
{
    // A transfer that still runs ends here without a signal.
    delete cli->transfer;
    auto *state = new ScanTFTPState(cli, mode);
    cli->transfer = state;
    state->position = 0;
    state->failTimer->setInterval(ScanTFTPState::kFailIntervalMs);
    connect(state, qOverload<ScanClientItem *>(&ScanTFTPState::retry), this, &ScanServer::resendDiscoveryBlock);
    connect(state, qOverload<ScanClientItem *>(&ScanTFTPState::fail), this, &ScanServer::failDiscovery);
    return state;
}

// The datagram has been built into the state's packet.
void ScanServer::sendTransferPacket(ScanTFTPState *state, size_t length)
{
    state->packetLength = quint32(length);
    state->arm();
    send(state->packet, length);
}

void ScanServer::resendDiscoveryBlock(ScanClientItem *cli)
{
    if (!cli || !cli->transfer)
        return;
    ScanTFTPState *state = cli->transfer;
    state->arm();
    send(state->packet, state->packetLength);
}

void ScanServer::updateProgress(ScanTFTPState *state)
{
    const int percent = state->data.isEmpty() ? -1 : int(quint64(state->position) * 100 / quint64(state->data.size())) - 1;
    if (percent == state->lastPercent)
        return;
    state->lastPercent = percent;
    Q_EMIT clientRegistryProgress(state->client, percent);
}

void ScanServer::loadClientRegistry(ScanClientItem *cli)
{
    if (!cli)
        return;
    m_transfers.add(cli);
    report(QStringLiteral("Download config from %1").arg(cli->info.mac.toString()));
    ScanTFTPState *state = createState(cli, ScanTFTPState::Download);
    zn::DatagramBuilder builder =
        zn::datagramBegin(cli->info.mac.value(), state->packet, sizeof state->packet, zn::OpDownloadRequest);
    sendTransferPacket(state, zn::datagramFinish(&builder));
    updateProgress(state);
}

void ScanServer::saveClientRegistry(ScanClientItem *cli, ScanClientRegistry registry)
{
    if (!cli)
        return;
    m_transfers.add(cli);
    cli->registry = registry;
    report(QStringLiteral("Upload %1 config bytes to %2").arg(cli->registry.size()).arg(cli->info.mac.toString()));
    ScanTFTPState *state = createState(cli, ScanTFTPState::Upload);
    // The whole area goes to the device, not only the used part.
    state->data = QByteArray(reinterpret_cast<const char *>(cli->registry.data()), ScanClientRegistry::Capacity);
    state->position = 0;
    zn::DatagramBuilder builder =
        zn::datagramBegin(cli->info.mac.value(), state->packet, sizeof state->packet, zn::OpUploadRequest);
    zn::datagramAppendU32(&builder, zn::TagBlockTotal, ScanClientRegistry::Capacity);
    sendTransferPacket(state, zn::datagramFinish(&builder));
    updateProgress(state);
}

void ScanServer::onDataBlock(const zn::DecodedBlock &block)
{
    if (block.total - 1 > kMaxDownloadSize - 1 || !block.data)
        return;
    ScanClientItem *cli = m_transfers.findByMac(Mac(block.mac));
    if (!cli || !cli->transfer || cli->transfer->mode != ScanTFTPState::Download)
        return;
    ScanTFTPState *state = cli->transfer;
    if (state->data.isEmpty())
        state->data = QByteArray(qsizetype(block.total), '\0');
    const quint64 size = quint64(state->data.size());
    const quint64 offset = quint32(block.offset); // a missing offset (-1) never fits
    const quint64 end = offset + block.dataSize;
    // Nothing beyond the bytes received so far is taken: the outstanding
    // acknowledgement keeps being repeated and the device resends from there.
    if (offset > state->received || end > size)
        return;

    state->disarm();
    if (block.dataSize > 0)
        std::memcpy(state->data.data() + offset, block.data, block.dataSize);
    state->received = quint32(std::max<quint64>(state->received, end));
    zn::DatagramBuilder builder =
        zn::datagramBegin(block.mac, state->packet, sizeof state->packet, zn::OpBlockRequest);
    zn::datagramAppendU32(&builder, zn::TagBlockOffset, quint32(end));
    sendTransferPacket(state, zn::datagramFinish(&builder));
    state->position = quint32(end);

    const bool complete = state->received >= size;
    if (complete) {
        cli->registry.assign(state->data);
        if (const size_t used = zn::completeRegistryDefaults(cli->registry.data(), ScanClientRegistry::Capacity))
            cli->registry.setSize(quint32(used));
    }
    // A receiver of the progress may run the event loop, which can end or
    // replace this transfer or delete the device.
    const QPointer<ScanTFTPState> alive(state);
    updateProgress(state);
    if (complete && alive)
        finishTransfer(cli, QString());
}

void ScanServer::onBlockRequest(const zn::DecodedBlock &block)
{
    if (block.offset < 0)
        return;
    ScanClientItem *cli = m_transfers.findByMac(Mac(block.mac));
    if (!cli || !cli->transfer || cli->transfer->mode != ScanTFTPState::Upload)
        return;
    ScanTFTPState *state = cli->transfer;
    state->disarm();
    const quint32 size = quint32(state->data.size());
    const quint32 offset = quint32(block.offset);
    if (offset >= size) {
        finishTransfer(cli, QString());
        return;
    }
    const quint32 chunk = std::min(size - offset, kBlockSize);
    zn::DatagramBuilder builder = zn::datagramBegin(block.mac, state->packet, sizeof state->packet, zn::OpDataBlock);
    zn::datagramAppendU32(&builder, zn::TagBlockTotal, size);
    zn::datagramAppendU32(&builder, zn::TagBlockOffset, offset);
    zn::datagramAppendData(&builder, zn::TagData, state->data.constData() + offset, chunk);
    sendTransferPacket(state, zn::datagramFinish(&builder));
    state->position = offset + chunk;
    updateProgress(state);
}

void ScanServer::onTransferRefused(const zn::DecodedBlock &block, const QString &format)
{
    ScanClientItem *cli = m_transfers.findByMac(Mac(block.mac));
    if (!cli)
        return;
    const QString text = format.arg(cli->info.mac.toString());
    if (finishTransfer(cli, text))
        reportError(text);
}

void ScanServer::failDiscovery(ScanClientItem *cli)
{
    if (!cli)
        return;
    const QString text = tr("Config transfer timeout on %1").arg(cli->info.mac.toString());
    if (finishTransfer(cli, text))
        reportError(text);
}

void ScanServer::abortClientRegistryTransfer(Mac mac)
{
    ScanClientItem *cli = m_transfers.findByMac(mac);
    if (!cli)
        return;
    const QString text = tr("Config data transfer aborted for %1").arg(mac.toString());
    if (finishTransfer(cli, text))
        reportWarning(text);
}

// Ends the transfer of cli: a completion report and signal for an empty text,
// otherwise the failure signal with the text (the caller reports it).
bool ScanServer::finishTransfer(ScanClientItem *cli, const QString &text)
{
    if (!cli)
        return false;
    m_transfers.remove(cli);
    ScanTFTPState *state = cli->transfer;
    if (!state)
        return false;
    // Detached first, so that whatever the progress signal sets off finds no
    // transfer to end twice.
    cli->transfer = nullptr;
    const int mode = state->mode;
    const QString mac = cli->info.mac.toString();
    state->position = 0;
    state->data.clear();
    const QPointer<ScanClientItem> device(cli);
    updateProgress(state);
    delete state;
    if (!device)
        return true;
    const bool upload = mode == ScanTFTPState::Upload;
    if (!text.isEmpty()) {
        if (upload)
            Q_EMIT clientRegistrySaveError(cli, text);
        else
            Q_EMIT clientRegistryLoadError(cli, text);
        return true;
    }
    report(upload ? tr("Configuration saved to %1").arg(mac) : tr("Configuration loaded from %1").arg(mac));
    if (upload)
        Q_EMIT clientRegistrySaveComplete(cli);
    else
        Q_EMIT clientRegistryLoadComplete(cli);
    return true;
}
