#include "hostiledatagrams.h"

#include "datagram.h"
#include "seededrandom.h"

namespace {

constexpr int kMaxUdpPayload = 65507;

void appendBE(QByteArray *out, uint64_t value, int size)
{
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8)
        out->append(char(value >> shift));
}

QByteArray header(uint16_t opcode)
{
    QByteArray out(zn::kMagic, zn::kMagicSize);
    appendBE(&out, opcode, 2);
    return out;
}

// A record whose length field says `length`, whatever the payload holds.
void appendRecord(QByteArray *out, uint16_t tag, const QByteArray &payload, int length = -1)
{
    appendBE(out, length < 0 ? uint64_t(payload.size() + 2) : uint64_t(length), 2);
    appendBE(out, tag, 2);
    out->append(payload);
}

QByteArray be(uint64_t value, int size)
{
    QByteArray out;
    appendBE(&out, value, size);
    return out;
}

QByteArray randomBytes(SeededRandom &random, int size)
{
    QByteArray out(size, '\0');
    for (char &c : out)
        c = char(random.below(256));
    return out;
}

QByteArray withCrc(QByteArray frame)
{
    frame.append(char(zn::crc8(reinterpret_cast<const uint8_t *>(frame.constData()), size_t(frame.size()))));
    return frame;
}

uint64_t pick(SeededRandom &random, const QList<uint64_t> &values)
{
    return values.at(qsizetype(random.below(uint32_t(values.size()))));
}

uint32_t pickU32(SeededRandom &random, std::initializer_list<uint32_t> values)
{
    return *(values.begin() + random.below(uint32_t(values.size())));
}

// A discovery answer with absurd but well-formed contents: texts of any
// bytes and size, every number at a limit, records repeated.
QByteArray absurdAnswer(SeededRandom &random, const QList<uint64_t> &macs)
{
    QByteArray frame = header(zn::OpDiscoverAnswer);
    const int repeats = random.oneIn(8) ? random.range(2, 300) : 1;
    for (int i = 0; i < repeats; ++i) {
        appendRecord(&frame, zn::TagMac, be(pick(random, macs), 6));
        appendRecord(&frame, zn::TagBoardName, randomBytes(random, random.oneIn(4) ? random.range(0, 1400) : 8));
        appendRecord(&frame, zn::TagRemark, randomBytes(random, random.range(0, 40)));
        appendRecord(&frame, zn::TagAddress, randomBytes(random, 12));
        appendRecord(&frame, zn::TagMade, be(pickU32(random, {0, 1, 0x7FFFFFFF, 0xFFFFFFFF}), 4));
        appendRecord(&frame, zn::TagNetworkMode, be(pickU32(random, {0, 2, 0x80000000, 0xFFFFFFFF}), 4));
        appendRecord(&frame, zn::TagSerial, be(random.next(), 8));
        appendRecord(&frame, zn::TagVersionS, be(0xFFFF, 2));
        appendRecord(&frame, uint16_t(random.below(0x10000)), randomBytes(random, random.range(0, 16)));
    }
    return withCrc(frame);
}

// Opcodes 6 to 9 with totals and offsets at and beyond every limit, for
// transfers that do not run.
QByteArray transferBlock(SeededRandom &random, const QList<uint64_t> &macs)
{
    QByteArray frame = header(uint16_t(random.range(zn::OpDataBlock, zn::OpTransferError)));
    appendRecord(&frame, zn::TagMac, be(pick(random, macs), 6));
    appendRecord(&frame, zn::TagBlockTotal, be(pickU32(random, {0, 1, 4096, 0x100000, 0x100001, 0xFFFFFFFF}), 4));
    if (!random.oneIn(4))
        appendRecord(&frame, zn::TagBlockOffset,
                     be(pickU32(random, {0, 1279, 1280, 4095, 4096, 0xFFFFF, 0x7FFFFFFF, 0xFFFFFFFF}), 4));
    appendRecord(&frame, zn::TagData, randomBytes(random, pickU32(random, {0, 1, 1280, 1281, 1400})));
    return withCrc(frame);
}

// Record length fields that lie: 0, 1, beyond the end, 0xFFFF; or hundreds of empty records.
QByteArray lyingRecords(SeededRandom &random, const QList<uint64_t> &macs)
{
    QByteArray frame = header(uint16_t(random.below(12)));
    appendRecord(&frame, zn::TagMac, be(pick(random, macs), 6));
    if (random.oneIn(2)) {
        for (int i = random.range(1, 500); i > 0; --i)
            appendRecord(&frame, uint16_t(random.below(0x10000)), QByteArray());
    }
    appendRecord(&frame, uint16_t(random.below(0x10000)), randomBytes(random, random.range(0, 64)),
                 int(pickU32(random, {0, 1, 2, 3, 70, 0xFFFE, 0xFFFF})));
    return withCrc(frame);
}

// Sizes at every limit of the frame, of the receive buffer and of UDP.
QByteArray sizedFrame(SeededRandom &random)
{
    const int size = int(pickU32(random, {0, 1, 8, 10, 11, 12, 14, 1321, 1472, 1473, 2047, 2048, 2049, 4096,
                                          32768, kMaxUdpPayload}));
    QByteArray frame = random.oneIn(3) ? randomBytes(random, size) : header(uint16_t(random.below(12)));
    if (frame.size() < size)
        frame += randomBytes(random, size - int(frame.size()) - 1);
    return frame.size() < size ? withCrc(frame) : frame.left(size);
}

} // namespace

QByteArray hostileDatagram(SeededRandom &random, const QList<uint64_t> &macs)
{
    switch (random.below(7)) {
    case 0:
        return absurdAnswer(random, macs);
    case 1:
        return transferBlock(random, macs);
    case 2:
        return lyingRecords(random, macs);
    case 3:
        return sizedFrame(random);
    case 4: { // truncated, the checksum made right again or not
        QByteArray frame = random.oneIn(2) ? absurdAnswer(random, macs) : transferBlock(random, macs);
        frame.truncate(qsizetype(random.below(uint32_t(frame.size()))));
        return random.oneIn(2) || frame.isEmpty() ? frame : withCrc(frame.chopped(1));
    }
    case 5: { // a wrong checksum
        QByteArray frame = random.oneIn(2) ? absurdAnswer(random, macs) : transferBlock(random, macs);
        frame.back() = char(frame.back() ^ char(random.range(1, 255)));
        return frame;
    }
    default: { // commands the tool only sends, and opcodes nobody knows
        QByteArray frame = header(uint16_t(pickU32(random, {zn::OpReset, zn::OpDiscoverRequest, zn::OpBuzz,
                                                           zn::OpDownloadRequest, zn::OpUploadRequest, 10, 0xFFFF})));
        appendRecord(&frame, zn::TagMac, be(pick(random, macs), 6));
        return withCrc(frame);
    }
    }
}
