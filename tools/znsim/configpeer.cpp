#include "configpeer.h"

#include "byteorder.h"
#include "configfile.h"
#include "datagram.h"
#include "defaultregistry.h"
#include "mac.h"
#include "simulator.h"

#include <QDir>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

namespace {

constexpr quint32 kBlockSize = 1280;
// The tool sends each datagram once per socket, back to back, and repeats one
// 80 ms later at the earliest: copies arrive within this window of each other.
constexpr qint64 kCopyWindowMs = 40;

QString macText(quint64 mac)
{
    return Mac(mac).toString();
}

// The used bytes of a registry area: the root record, or the whole area when
// the root is not one.
size_t usedSize(const QByteArray &area)
{
    const auto *bytes = reinterpret_cast<const uint8_t *>(area.constData());
    const uint32_t rootLength = readLE32(bytes + 4);
    if (bytes[3] != 0xFF || rootLength > uint32_t(area.size()) - 8)
        return size_t(area.size());
    return rootLength + 8;
}

} // namespace

ConfigPeer::ConfigPeer(Simulator &simulator, const QList<SimDevice> &devices, const Options &options)
    : m_simulator(simulator)
    , m_saveDir(options.saveDir)
    , m_link(options.link, options.seed)
{
    for (const SimDevice &identity : devices) {
        const quint64 mac = identity.identity.mac;
        if (m_devices.contains(mac))
            continue;
        Device device;
        device.identity = identity;
        device.faults = options.faults.value(mac);
        device.area = options.registries.value(mac, defaultRegistryArea(identity));
        m_devices.insert(mac, device);
    }
    m_namedMacs = options.registries.keys() + options.faults.keys();
    m_clock.start();
}

bool ConfigPeer::start(QString *error)
{
    for (const quint64 mac : std::as_const(m_namedMacs)) {
        if (!m_devices.contains(mac)) {
            *error = QStringLiteral("no device has the MAC %1").arg(macText(mac));
            return false;
        }
    }
    for (const quint16 opcode : {zn::OpDownloadRequest, zn::OpUploadRequest, zn::OpDataBlock, zn::OpBlockRequest})
        m_simulator.registerHandler(opcode, [this](Simulator &, SimDevice &, const Command &command) { receive(command); });
    for (const Device &device : std::as_const(m_devices)) {
        if (!save(device, error))
            return false;
    }
    return true;
}

void ConfigPeer::receive(const Command &command)
{
    const quint64 mac = command.decoded.identity.mac;
    const QByteArray raw = command.raw;
    const Destination from = command.from;
    m_link.pass([this, mac, raw, from] {
        const auto device = m_devices.find(mac);
        if (device != m_devices.end())
            act(*device, raw, from);
    });
}

bool ConfigPeer::isCopy(Device &device, const QByteArray &raw)
{
    const qint64 now = m_clock.elapsed();
    if (raw == device.lastRequest && now - device.lastRequestMs < kCopyWindowMs)
        return true;
    device.lastRequest = raw;
    device.lastRequestMs = now;
    return false;
}

void ConfigPeer::act(Device &device, const QByteArray &raw, const Destination &from)
{
    if (isCopy(device, raw))
        return;
    zn::DecodedDatagram decoded;
    if (zn::datagramDecode(from.address.toIPv4Address(), reinterpret_cast<const uint8_t *>(raw.constData()),
                           size_t(raw.size()), &decoded)
        != zn::DecodeStatus::Ok)
        return;
    Simulator::log(QStringLiteral("transfer op=%1 mac=%2 offset=%3")
                       .arg(decoded.opcode)
                       .arg(macText(decoded.block.mac))
                       .arg(decoded.block.offset));
    device.peer = from;
    switch (decoded.opcode) {
    case zn::OpDownloadRequest:
        startDownload(device);
        break;
    case zn::OpUploadRequest:
        startUpload(device, decoded.block.total);
        break;
    case zn::OpBlockRequest:
        if (device.mode == Mode::Download)
            sendBlock(device, quint32(decoded.block.offset));
        break;
    case zn::OpDataBlock:
        if (device.mode == Mode::Upload)
            takeBlock(device, decoded);
        break;
    default:
        break;
    }
}

bool ConfigPeer::answersNormally(Device &device)
{
    const QString mac = macText(device.identity.identity.mac);
    if (device.faults.silentAfter >= 0 && device.blocks >= device.faults.silentAfter) {
        Simulator::log(QStringLiteral("silent mac=%1 blocks=%2").arg(mac).arg(device.blocks));
        return false;
    }
    if (device.faults.errorAfter >= 0 && device.blocks >= device.faults.errorAfter) {
        Simulator::log(QStringLiteral("error mac=%1 blocks=%2").arg(mac).arg(device.blocks));
        reply(device, zn::OpTransferError, {});
        device.mode = Mode::Idle;
        return false;
    }
    return true;
}

void ConfigPeer::startDownload(Device &device)
{
    if (device.faults.deny) {
        Simulator::log(QStringLiteral("deny mac=%1").arg(macText(device.identity.identity.mac)));
        reply(device, zn::OpTransferDenied, {});
        device.mode = Mode::Idle;
        return;
    }
    device.mode = Mode::Download;
    device.total = quint32(device.area.size());
    device.blocks = 0;
    sendBlock(device, 0);
}

void ConfigPeer::sendBlock(Device &device, quint32 offset)
{
    if (offset >= device.total) {
        Simulator::log(QStringLiteral("download done mac=%1").arg(macText(device.identity.identity.mac)));
        device.mode = Mode::Idle;
        return;
    }
    if (!answersNormally(device))
        return;
    const auto block = [&device](quint32 at) {
        const quint32 size = std::min(kBlockSize, device.total - at);
        return [&device, at, size](zn::DatagramBuilder *b) {
            zn::datagramAppendU32(b, zn::TagBlockTotal, device.total);
            zn::datagramAppendU32(b, zn::TagBlockOffset, at);
            zn::datagramAppendData(b, zn::TagData, device.area.constData() + at, size);
        };
    };
    if (offset == 0 && device.blocks == 0 && device.faults.staleFirst)
        reply(device, zn::OpDataBlock, block((device.total - 1) / kBlockSize * kBlockSize));
    reply(device, zn::OpDataBlock, block(offset));
    ++device.blocks;
}

void ConfigPeer::startUpload(Device &device, quint32 total)
{
    const QString mac = macText(device.identity.identity.mac);
    device.mode = Mode::Idle;
    if (device.faults.deny) {
        Simulator::log(QStringLiteral("deny mac=%1").arg(mac));
        reply(device, zn::OpTransferDenied, {});
        return;
    }
    if (total == 0 || total > quint32(device.area.size())) {
        Simulator::log(QStringLiteral("error mac=%1 total=%2").arg(mac).arg(total));
        reply(device, zn::OpTransferError, {});
        return;
    }
    device.mode = Mode::Upload;
    device.total = total;
    device.expected = 0;
    device.blocks = 0;
    device.incoming = QByteArray(qsizetype(total), '\0');
    requestNext(device);
}

void ConfigPeer::takeBlock(Device &device, const zn::DecodedDatagram &decoded)
{
    const zn::DecodedBlock &block = decoded.block;
    const bool wanted = block.offset >= 0 && quint32(block.offset) == device.expected && block.data
                        && block.dataSize > 0 && block.dataSize <= device.total - device.expected;
    if (wanted) {
        std::memcpy(device.incoming.data() + device.expected, block.data, block.dataSize);
        device.expected += quint32(block.dataSize);
        ++device.blocks;
        if (device.expected == device.total) {
            device.area.replace(0, device.incoming.size(), device.incoming);
            QString error;
            if (!save(device, &error))
                Simulator::log(QStringLiteral("error %1").arg(error));
            Simulator::log(QStringLiteral("upload done mac=%1 used=%2")
                               .arg(macText(device.identity.identity.mac))
                               .arg(usedSize(device.area)));
        }
    }
    // A repeated block asks again for what is wanted next (all, once complete).
    requestNext(device);
}

void ConfigPeer::requestNext(Device &device)
{
    if (!answersNormally(device))
        return;
    const quint32 offset = device.expected;
    reply(device, zn::OpBlockRequest, [offset](zn::DatagramBuilder *b) {
        zn::datagramAppendU32(b, zn::TagBlockOffset, offset);
    });
}

void ConfigPeer::reply(const Device &device, quint16 opcode, const std::function<void(zn::DatagramBuilder *)> &records)
{
    const QByteArray frame = deviceFrame(device.identity, opcode, records ? records : [](zn::DatagramBuilder *) {});
    const Destination to = m_simulator.replyDestination(device.peer);
    m_link.pass([this, frame, to] { m_simulator.send(frame, to); });
}

bool ConfigPeer::save(const Device &device, QString *error) const
{
    if (m_saveDir.isEmpty())
        return true;
    const size_t used = usedSize(device.area);
    QByteArray file(qsizetype(zn::configFileSize(used)), '\0');
    zn::configFileWrite(reinterpret_cast<const uint8_t *>(device.area.constData()), used,
                        reinterpret_cast<uint8_t *>(file.data()), size_t(file.size()));
    QSaveFile out(QDir(m_saveDir).filePath(Mac(device.identity.identity.mac).toString(u'-') + QStringLiteral(".znc")));
    if (out.open(QIODevice::WriteOnly) && out.write(file) == file.size() && out.commit())
        return true;
    *error = QStringLiteral("cannot save %1: %2").arg(out.fileName(), out.errorString());
    return false;
}
