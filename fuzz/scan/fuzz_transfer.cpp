// A hostile device against the engine's configuration transfers. The input
// scripts two devices and the operator: downloads and uploads started,
// replaced, aborted, timed out and repeated; devices deleted; and datagrams
// with any MAC, offset, total and length, in any order, as well as raw ones.
// Receivers of the progress signal may abort, restart or delete (as a dialog
// running the event loop can). No socket: the datagrams go to the server's
// receive slot, timers are fired by their slots, and what the tool sends is
// read from the transfer's outstanding packet.
//
// Checks, after every step:
// - every transfer ends with exactly one completion or error signal, unless
//   it was replaced by a new one or its device deleted; progress is -1 .. 99
//   and back at -1 when the end is signalled;
// - the outstanding datagram is valid, for the device's MAC, of the mode;
// - a download never asks for an offset beyond what the device has sent
//   without gaps, and completes only with everything up to the size sent;
//   a completed download holds exactly the device's bytes;
// - every upload block carries the registry's own bytes at its offset.
//
// Input: flags (bit 0: the two devices share one MAC), then operations: a
// byte (low four bits: kind; bit 7: a reaction byte follows, used by the
// first progress signal of the operation) and its arguments.
#include "datagram.h"
#include "registrydefaults.h"
#include "scanclientitem.h"
#include "scanserver.h"
#include "scantftpstate.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

void require(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz_transfer: %s\n", what);
        std::abort();
    }
}

constexpr uint64_t kMacs[] = {0x025A4E000001, 0x025A4E000002, 0x025A4E000003};
constexpr uint32_t kCapacity = ScanClientRegistry::Capacity;
constexpr uint32_t kMaxTotal = 0x100000;

// What the device serves: a registry that already holds every default (so
// that completing the defaults leaves it alone), then bytes that are never 0.
struct Image {
    std::vector<uint8_t> registry; // kCapacity bytes
    uint32_t used = 0;
    uint8_t at(uint64_t offset) const
    {
        return offset < used ? registry[offset] : uint8_t(1 + (offset * 7 + (offset >> 8) * 13) % 255);
    }
};

const Image &image()
{
    static const Image made = [] {
        Image i;
        i.registry.assign(kCapacity, 0);
        i.used = uint32_t(zn::completeRegistryDefaults(i.registry.data(), kCapacity));
        for (uint32_t o = i.used; o < kCapacity; ++o)
            i.registry[o] = i.at(o);
        std::vector<uint8_t> again = i.registry;
        require(i.used > 8 && zn::completeRegistryDefaults(again.data(), kCapacity) == i.used
                    && again == i.registry,
                "defaults complete a complete registry again");
        return i;
    }();
    return made;
}

struct Input {
    const uint8_t *p;
    const uint8_t *end;
    bool done() const { return p >= end; }
    uint8_t byte() { return p < end ? *p++ : 0; }
    uint32_t u16() { return uint32_t(byte()) | uint32_t(byte()) << 8; }
    uint32_t u32() { return u16() | u16() << 16; }
};

// The fuzzer's account of one transfer.
struct Transfer {
    int mode = 0;
    int lastPercent = -1;
    // Download: bytes the device sent, the length sent from 0 without gaps,
    // the least total that could have fixed the size.
    std::vector<bool> sent;
    uint32_t prefix = 0;
    uint64_t minTotal = UINT64_MAX;
    bool tainted = false;          // a raw datagram may have carried other bytes
    bool registryReplaced = false; // an upload started while its end was due
    QByteArray upload;             // the registry area being uploaded
};

struct Device {
    QPointer<ScanClientItem> item;
    uint64_t mac = 0;
    uint32_t total = kCapacity; // what the device announces
    std::optional<Transfer> current;
    std::optional<Transfer> ending; // detached, its signal due
};

struct Harness {
    ScanServer server;
    Device devices[2];
    int reaction = -1; // for the first progress signal of this operation
    Input *in = nullptr;

    Device *deviceOf(ScanClientItem *cli)
    {
        for (Device &d : devices) {
            if (d.item == cli)
                return &d;
        }
        return nullptr;
    }

    void makeDevice(Device &d)
    {
        d.item = new ScanClientItem();
        d.item->info.mac = Mac(d.mac);
        d.current.reset();
        d.ending.reset();
    }

    void load(Device &d)
    {
        d.total = in->byte() < 128 ? kCapacity : 1 + in->u32() % kMaxTotal;
        if (d.item) {
            d.current = Transfer();
            d.current->mode = ScanTFTPState::Download;
        }
        server.loadClientRegistry(d.item);
    }

    void save(Device &d)
    {
        ScanClientRegistry registry;
        const size_t wanted = size_t(in->byte()) * 17;
        const size_t n = std::min<size_t>(wanted, size_t(in->end - in->p));
        registry.assign(QByteArray(reinterpret_cast<const char *>(in->p), qsizetype(n)));
        in->p += n;
        if (d.item) {
            d.current = Transfer();
            d.current->mode = ScanTFTPState::Upload;
            d.current->upload = QByteArray(reinterpret_cast<const char *>(registry.data()), kCapacity);
            if (d.ending)
                d.ending->registryReplaced = true;
        }
        server.saveClientRegistry(d.item, registry);
    }

    void receive(const uint8_t *datagram, size_t length)
    {
        require(QMetaObject::invokeMethod(&server, "onReceived", Qt::DirectConnection,
                                          Q_ARG(QHostAddress, QHostAddress(QStringLiteral("10.0.0.2"))),
                                          Q_ARG(int, ScanServer::kPort), Q_ARG(const void *, datagram),
                                          Q_ARG(size_t, length)),
                "receive slot");
    }

    // The offset the tool asks for in its outstanding datagram, 0 before any.
    static uint32_t requestedOffset(const ScanClientItem *cli, uint16_t opcode)
    {
        if (!cli || !cli->transfer)
            return 0;
        zn::DecodedDatagram out;
        if (zn::datagramDecode(0, cli->transfer->packet, cli->transfer->packetLength, &out) != zn::DecodeStatus::Ok
            || out.opcode != opcode || out.block.offset < 0)
            return 0;
        return opcode == zn::OpDataBlock ? uint32_t(out.block.offset) + uint32_t(out.block.dataSize)
                                         : uint32_t(out.block.offset);
    }

    void dataBlock()
    {
        const uint8_t how = in->byte();
        const uint64_t mac = kMacs[(how & 3) % 3];
        Device &target = devices[how & 1];
        uint32_t offset = requestedOffset(target.item, zn::OpBlockRequest);
        const bool hasOffset = ((how >> 2) & 3) != 3;
        if (((how >> 2) & 3) == 1)
            offset += uint32_t(int8_t(in->byte()));
        else if (((how >> 2) & 3) == 2)
            offset = in->u32();
        const int totalMode = (how >> 4) & 3;
        const uint32_t total = totalMode == 0 ? target.total : totalMode == 1 ? in->u32() : kCapacity;
        const bool hasData = (how >> 6) != 3;
        // A well-behaved device sends the next block in full.
        const uint32_t lengthBits = hasData ? in->u16() : 0;
        const uint32_t rest = target.total > offset ? target.total - offset : 0;
        const size_t length = lengthBits & 0x8000 ? std::min<uint32_t>(rest, 1280) : lengthBits % 1600;

        std::vector<uint8_t> bytes(length);
        for (size_t i = 0; i < length; ++i)
            bytes[i] = image().at(uint64_t(offset) + i);
        uint8_t frame[zn::kDatagramBufferSize];
        zn::DatagramBuilder b = zn::datagramBegin(mac, frame, sizeof frame, zn::OpDataBlock);
        if (totalMode != 3)
            zn::datagramAppendU32(&b, zn::TagBlockTotal, total);
        if (hasOffset)
            zn::datagramAppendU32(&b, zn::TagBlockOffset, offset);
        if (hasData)
            zn::datagramAppendData(&b, zn::TagData, bytes.data(), length);
        const size_t size = zn::datagramFinish(&b);
        require(size > 0, "device datagram fits");

        for (Device &d : devices) {
            if (d.mac != mac || !d.current || d.current->mode != ScanTFTPState::Download || !hasData)
                continue;
            Transfer &t = *d.current;
            if (totalMode != 3 && total >= 1 && total <= kMaxTotal)
                t.minTotal = std::min<uint64_t>(t.minTotal, total);
            if (!hasOffset || offset > kMaxTotal)
                continue;
            const uint32_t end = uint32_t(std::min<uint64_t>(uint64_t(offset) + length, kMaxTotal));
            if (t.sent.size() < end)
                t.sent.resize(end, false);
            for (uint32_t o = offset; o < end; ++o)
                t.sent[o] = true;
            while (t.prefix < t.sent.size() && t.sent[t.prefix])
                ++t.prefix;
        }
        receive(frame, size);
    }

    void blockRequest()
    {
        const uint8_t how = in->byte();
        const uint64_t mac = kMacs[(how & 3) % 3];
        uint32_t offset = requestedOffset(devices[how & 1].item, zn::OpDataBlock);
        switch ((how >> 2) & 3) {
        case 1:
            offset = in->u16() % 5000;
            break;
        case 2:
            offset = in->u32();
            break;
        default:
            break;
        }
        uint8_t frame[zn::kDatagramBufferSize];
        zn::DatagramBuilder b = zn::datagramBegin(mac, frame, sizeof frame, zn::OpBlockRequest);
        if (((how >> 2) & 3) != 3)
            zn::datagramAppendU32(&b, zn::TagBlockOffset, offset);
        receive(frame, zn::datagramFinish(&b));
    }

    void refusal()
    {
        const uint8_t how = in->byte();
        uint8_t frame[64];
        zn::DatagramBuilder b = zn::datagramBegin(kMacs[(how & 3) % 3], frame, sizeof frame,
                                                  how & 4 ? zn::OpTransferDenied : zn::OpTransferError);
        receive(frame, zn::datagramFinish(&b));
    }

    // Any records after the frame start, with a correct checksum.
    void raw()
    {
        const size_t n = std::min<size_t>(in->byte(), size_t(in->end - in->p));
        uint8_t frame[zn::kMagicSize + 256 + 1];
        std::memcpy(frame, zn::kMagic, zn::kMagicSize);
        std::memcpy(frame + zn::kMagicSize, in->p, n);
        in->p += n;
        const size_t length = zn::kMagicSize + n;
        frame[length] = zn::crc8(frame, length);
        zn::DecodedDatagram out;
        if (zn::datagramDecode(0, frame, length + 1, &out) == zn::DecodeStatus::Ok && out.opcode == zn::OpDataBlock) {
            for (Device &d : devices) {
                if (d.current)
                    d.current->tainted = true;
            }
        }
        receive(frame, length + 1);
    }

    void timer(Device &d, const char *slot)
    {
        if (d.item && d.item->transfer)
            require(QMetaObject::invokeMethod(d.item->transfer, slot, Qt::DirectConnection), "timer slot");
    }

    void react(ScanClientItem *cli)
    {
        const int kind = reaction;
        reaction = -1;
        Device *d = deviceOf(cli);
        if (kind < 0 || !d)
            return;
        switch (kind & 3) {
        case 0:
            server.abortClientRegistryTransfer(Mac(d->mac));
            break;
        case 1:
            d->current.reset();
            d->ending.reset();
            delete d->item;
            break;
        case 2:
            load(*d);
            break;
        default:
            save(devices[(kind >> 2) & 1]);
            break;
        }
    }

    void onProgress(ScanClientItem *cli, int percent)
    {
        require(percent >= -1 && percent <= 99, "progress -1 .. 99");
        Device *d = deviceOf(cli);
        require(d != nullptr, "progress of a known device");
        if (!cli->transfer && d->current) {
            require(!d->ending, "one transfer ends at a time");
            d->ending = std::move(d->current);
            d->current.reset();
        }
        Transfer *t = d->ending ? &*d->ending : d->current ? &*d->current : nullptr;
        require(t != nullptr, "progress of a running transfer");
        t->lastPercent = percent;
        react(cli);
    }

    // The transfer whose end is signalled.
    Transfer ended(ScanClientItem *cli, int mode)
    {
        Device *d = deviceOf(cli);
        require(d != nullptr, "end of a known device");
        std::optional<Transfer> *slot = d->ending ? &d->ending : &d->current;
        require(slot->has_value(), "one end per transfer");
        Transfer t = std::move(**slot);
        slot->reset();
        require(t.mode == mode, "end of the transfer's own kind");
        require(t.lastPercent == -1, "progress back at -1 at the end");
        if (slot == &d->current)
            require(!cli->transfer, "the ended transfer is gone");
        return t;
    }

    void onLoaded(ScanClientItem *cli)
    {
        const Transfer t = ended(cli, ScanTFTPState::Download);
        if (t.tainted)
            return;
        require(t.minTotal <= t.prefix, "a download completes only without gaps");
        if (t.registryReplaced || t.minTotal < image().used)
            return;
        require(cli->registry.size() == image().used, "downloaded registry size");
        const size_t compared = std::min<uint64_t>(t.minTotal, kCapacity);
        require(std::memcmp(cli->registry.data(), image().registry.data(), compared) == 0,
                "downloaded registry holds the device's bytes");
    }

    void checkOutstanding(const Device &d)
    {
        if (!d.item)
            return;
        require(!d.ending, "every due end signalled");
        require(bool(d.item->transfer) == bool(d.current), "a transfer runs until its end is signalled");
        if (!d.current)
            return;
        const ScanTFTPState *state = d.item->transfer;
        const Transfer &t = *d.current;
        require(state->mode == t.mode, "transfer mode");
        zn::DecodedDatagram out;
        require(zn::datagramDecode(0, state->packet, state->packetLength, &out) == zn::DecodeStatus::Ok,
                "outstanding datagram valid");
        require(out.block.mac == d.mac, "outstanding datagram for the device");
        if (t.mode == ScanTFTPState::Download) {
            require(out.opcode == zn::OpDownloadRequest || out.opcode == zn::OpBlockRequest, "download opcode");
            if (out.opcode == zn::OpBlockRequest && !t.tainted)
                require(out.block.offset >= 0 && uint32_t(out.block.offset) <= t.prefix,
                        "no request beyond the bytes sent without gaps");
            return;
        }
        require(out.opcode == zn::OpUploadRequest || out.opcode == zn::OpDataBlock, "upload opcode");
        if (out.opcode == zn::OpUploadRequest) {
            require(out.block.total == kCapacity, "upload announces the whole area");
            return;
        }
        const uint32_t offset = uint32_t(out.block.offset);
        require(out.block.total == kCapacity && out.block.offset >= 0 && out.block.dataSize > 0
                    && out.block.dataSize <= 1280 && offset + out.block.dataSize <= kCapacity,
                "upload block inside the area");
        require(std::memcmp(out.block.data, t.upload.constData() + offset, out.block.dataSize) == 0,
                "upload block holds the registry's bytes");
    }

    void step()
    {
        const uint8_t op = in->byte();
        reaction = op & 0x80 ? in->byte() : -1;
        Device &d = devices[(op >> 4) & 1];
        switch (op & 15) {
        case 0:
            load(d);
            break;
        case 1:
            save(d);
            break;
        case 2:
        case 3:
        case 4:
        case 5:
            dataBlock();
            break;
        case 6:
        case 7:
            blockRequest();
            break;
        case 8:
            refusal();
            break;
        case 9:
            timer(d, "retry");
            break;
        case 10:
            timer(d, "fail");
            break;
        case 11:
            server.abortClientRegistryTransfer(Mac(d.mac));
            break;
        case 12:
            delete d.item;
            d.current.reset();
            d.ending.reset();
            break;
        case 13:
            raw();
            break;
        case 14:
            // Timer slots of the server for a device without a transfer, or none.
            require(QMetaObject::invokeMethod(&server, op & 0x40 ? "failDiscovery" : "resendDiscoveryBlock",
                                              Qt::DirectConnection,
                                              Q_ARG(ScanClientItem *, op & 0x20 ? d.item.data() : nullptr)),
                    "server timer slot");
            break;
        default:
            server.loadClientRegistry(nullptr);
            break;
        }
        reaction = -1;
        for (Device &each : devices) {
            checkOutstanding(each);
            if (!each.item)
                makeDevice(each);
        }
    }
};

QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "fuzz_transfer";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    application();
    image();
    Input in{data, data + size};
    Harness h;
    h.in = &in;
    const uint8_t flags = in.byte();
    h.devices[0].mac = kMacs[0];
    h.devices[1].mac = flags & 1 ? kMacs[0] : kMacs[1];
    for (Device &d : h.devices)
        h.makeDevice(d);
    QObject::connect(&h.server, &ScanServer::clientRegistryProgress, &h.server,
                     [&h](ScanClientItem *cli, int percent) { h.onProgress(cli, percent); });
    QObject::connect(&h.server, &ScanServer::clientRegistryLoadComplete, &h.server,
                     [&h](ScanClientItem *cli) { h.onLoaded(cli); });
    QObject::connect(&h.server, &ScanServer::clientRegistryLoadError, &h.server,
                     [&h](ScanClientItem *cli) { h.ended(cli, ScanTFTPState::Download); });
    QObject::connect(&h.server, &ScanServer::clientRegistrySaveComplete, &h.server,
                     [&h](ScanClientItem *cli) { h.ended(cli, ScanTFTPState::Upload); });
    QObject::connect(&h.server, &ScanServer::clientRegistrySaveError, &h.server,
                     [&h](ScanClientItem *cli) { h.ended(cli, ScanTFTPState::Upload); });
    for (int steps = 0; steps < 2000 && !in.done(); ++steps)
        h.step();
    for (Device &d : h.devices)
        delete d.item;
    return 0;
}
