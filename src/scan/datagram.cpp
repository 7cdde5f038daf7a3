#include "datagram.h"

#include "byteorder.h"

#include <cstring>

namespace zn {

const char kMagic[kMagicSize + 1] = "DISCOVER";

namespace {

constexpr size_t kHeaderSize = kMagicSize + 2;  // magic + opcode
constexpr size_t kRecordHeaderSize = 4;         // length + tag
constexpr size_t kMaxPayload = 0xFFFF - 2;      // the length field counts the tag

// Reserves `size` bytes at the write position, or marks the frame as overflowed.
uint8_t *reserve(DatagramBuilder *b, size_t size)
{
    if (b->overflow || b->start == nullptr || size > b->capacity - b->length) {
        b->overflow = true;
        return nullptr;
    }
    uint8_t *p = b->start + b->length;
    b->length += size;
    return p;
}

bool appendBE(DatagramBuilder *b, uint16_t tag, uint64_t value, size_t size)
{
    uint8_t bytes[8];
    writeBE(bytes, value, size);
    return datagramAppendData(b, tag, bytes, size);
}

bool appendText(DatagramBuilder *b, uint16_t tag, const char *text, size_t size)
{
    return text == nullptr || datagramAppendData(b, tag, text, size);
}

// Payload size of each known tag; 0 for tags whose payload may have any size.
// False for a tag that is not known (such records are skipped).
bool knownPayloadSize(uint16_t tag, size_t *size)
{
    switch (tag) {
    case TagData:
    case TagBoardName:
    case TagRemark:
        *size = 0;
        return true;
    case TagNetworkMode:
    case TagDevelopmentMode:
    case TagBoard:
    case TagCpu:
    case TagMade:
    case TagBlockOffset:
    case TagBlockTotal:
        *size = 4;
        return true;
    case TagVersionS:
    case TagVersionD:
        *size = 2;
        return true;
    case TagResetKind:
        *size = 1;
        return true;
    case TagAddress:
        *size = 12;
        return true;
    case TagMac:
        *size = 6;
        return true;
    case TagSerial:
        *size = 8;
        return true;
    default:
        return false;
    }
}

// Stores one record whose size has been checked against the tag table.
void decodeRecord(uint16_t tag, const uint8_t *p, size_t size, DecodedDatagram *out)
{
    DecodedIdentity &id = out->identity;
    DecodedBlock &block = out->block;
    switch (tag) {
    case TagData:
        block.data = p;
        block.dataSize = size;
        break;
    case TagBoardName:
        id.boardName = reinterpret_cast<const char *>(p);
        id.boardNameSize = size;
        break;
    case TagRemark:
        id.remark = reinterpret_cast<const char *>(p);
        id.remarkSize = size;
        break;
    case TagNetworkMode:
        id.networkMode = static_cast<int32_t>(readBE32(p));
        break;
    case TagDevelopmentMode:
        id.developmentMode = readBE32(p) != 0 ? 1 : 0;
        break;
    case TagBoard:
        id.board = readBE32(p);
        break;
    case TagCpu:
        id.cpu = readBE32(p);
        break;
    case TagMade:
        id.hasMade = true;
        id.madeSince2000 = readBE32(p);
        break;
    case TagVersionS:
        id.versionS = uint32_t(readBE16(p));
        break;
    case TagVersionD:
        id.versionD = uint32_t(readBE16(p));
        break;
    case TagBlockOffset:
        block.offset = static_cast<int32_t>(readBE32(p));
        break;
    case TagBlockTotal:
        block.total = readBE32(p);
        break;
    case TagResetKind:
        out->resetKind = p[0];
        break;
    case TagAddress:
        id.ip = readBE32(p);
        id.netmask = readBE32(p + 4);
        id.gateway = readBE32(p + 8);
        break;
    case TagMac:
        id.mac = readBE(p, 6);
        block.mac = id.mac;
        break;
    case TagSerial:
        id.serial = readBE64(p);
        break;
    default:
        break;
    }
}

} // namespace

DatagramBuilder datagramBegin(uint64_t mac, uint8_t *buffer, size_t capacity, uint16_t opcode)
{
    DatagramBuilder b;
    b.start = buffer;
    b.capacity = capacity;
    if (uint8_t *p = reserve(&b, kHeaderSize)) {
        std::memcpy(p, kMagic, kMagicSize);
        writeBE(p + kMagicSize, opcode, 2);
    }
    if (mac != 0)
        appendBE(&b, TagMac, mac, 6);
    return b;
}

bool datagramAppendU32(DatagramBuilder *b, uint16_t tag, uint32_t value)
{
    return appendBE(b, tag, value, 4);
}

bool datagramAppendData(DatagramBuilder *b, uint16_t tag, const void *data, size_t size)
{
    if (size > kMaxPayload) {
        b->overflow = true;
        return false;
    }
    uint8_t *p = reserve(b, kRecordHeaderSize + size);
    if (p == nullptr)
        return false;
    writeBE(p, size + 2, 2);
    writeBE(p + 2, tag, 2);
    if (size > 0)
        std::memcpy(p + kRecordHeaderSize, data, size);
    return true;
}

size_t datagramFinish(DatagramBuilder *b)
{
    if (b->overflow)
        return 0;
    const uint8_t crc = crc8(b->start, b->length);
    uint8_t *p = reserve(b, 1);
    if (p == nullptr)
        return 0;
    *p = crc;
    return b->length;
}

bool datagramAppendIdentity(DatagramBuilder *b, const DecodedIdentity &id)
{
    const uint8_t address[12] = {
        uint8_t(id.ip >> 24), uint8_t(id.ip >> 16), uint8_t(id.ip >> 8), uint8_t(id.ip),
        uint8_t(id.netmask >> 24), uint8_t(id.netmask >> 16), uint8_t(id.netmask >> 8), uint8_t(id.netmask),
        uint8_t(id.gateway >> 24), uint8_t(id.gateway >> 16), uint8_t(id.gateway >> 8), uint8_t(id.gateway),
    };
    datagramAppendData(b, TagAddress, address, sizeof address);
    if (id.networkMode != -1)
        datagramAppendU32(b, TagNetworkMode, static_cast<uint32_t>(id.networkMode));
    if (id.developmentMode != -1)
        datagramAppendU32(b, TagDevelopmentMode, static_cast<uint32_t>(id.developmentMode));
    datagramAppendU32(b, TagBoard, id.board);
    appendText(b, TagBoardName, id.boardName, id.boardNameSize);
    appendText(b, TagRemark, id.remark, id.remarkSize);
    datagramAppendU32(b, TagCpu, id.cpu);
    appendBE(b, TagSerial, id.serial, 8);
    if (id.hasMade)
        datagramAppendU32(b, TagMade, id.madeSince2000);
    appendBE(b, TagVersionS, id.versionS, 2);
    appendBE(b, TagVersionD, id.versionD, 2);
    return !b->overflow;
}

DecodeStatus datagramCheckFrame(const uint8_t *data, size_t len, DecodedDatagram *out)
{
    if (len < kFrameMinSize || std::memcmp(data, kMagic, kMagicSize) != 0)
        return DecodeStatus::Dropped;
    out->opcode = static_cast<uint16_t>(readBE16(data + kMagicSize));
    out->crcCarried = data[len - 1];
    out->crcComputed = crc8(data, len - 1);
    return out->crcCarried == out->crcComputed ? DecodeStatus::Ok : DecodeStatus::CrcError;
}

DecodeStatus datagramDecode(uint32_t senderIPv4, const uint8_t *data, size_t len, DecodedDatagram *out)
{
    *out = DecodedDatagram();
    const DecodeStatus frame = datagramCheckFrame(data, len, out);
    if (frame != DecodeStatus::Ok)
        return frame;
    out->identity.ip = senderIPv4;

    const size_t end = len - 1;
    if (end - kHeaderSize < kRecordHeaderSize)
        return DecodeStatus::Dropped;
    size_t cursor = kHeaderSize;
    while (cursor + kRecordHeaderSize <= end) {
        const auto length = static_cast<uint16_t>(readBE16(data + cursor));
        if (length < 2)
            break;
        const auto tag = static_cast<uint16_t>(readBE16(data + cursor + 2));
        const size_t payloadSize = length - 2u;
        const uint8_t *payload = data + cursor + kRecordHeaderSize;
        if (payloadSize > end - cursor - kRecordHeaderSize)
            break; // runs past the end: keep what was read before it
        size_t expected = 0;
        if (knownPayloadSize(tag, &expected)) {
            if (expected != 0 && payloadSize != expected)
                return DecodeStatus::Dropped;
            decodeRecord(tag, payload, payloadSize, out);
        }
        cursor += kRecordHeaderSize + payloadSize;
    }
    // A later zero MAC record overwrites an earlier one: the frame names no device.
    if (out->identity.mac == 0)
        return DecodeStatus::Dropped;
    return DecodeStatus::Ok;
}

} // namespace zn
