// Two properties of the datagram codec on any input:
// - decoding arbitrary bytes stays inside them and returns consistent results;
// - a frame built from fields taken from the input decodes to those fields.
#include "datagram.h"

#include <cstdlib>
#include <cstring>

using namespace zn;

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool sameBytes(const void *a, const void *b, size_t size)
{
    return size == 0 || std::memcmp(a, b, size) == 0;
}

bool inside(const void *p, size_t size, const uint8_t *data, size_t len)
{
    const auto *q = static_cast<const uint8_t *>(p);
    return q >= data && size <= len && q <= data + len - size;
}

void checkDecode(const uint8_t *data, size_t size)
{
    DecodedDatagram out;
    const DecodeStatus status = datagramDecode(0x0A000001, data, size, &out);
    if (status == DecodeStatus::CrcError)
        require(out.crcCarried != out.crcComputed);
    if (status != DecodeStatus::Ok)
        return;
    require(size >= kFrameMinSize && crc8(data, size) == 0);
    require(out.identity.mac != 0 && out.identity.mac == out.block.mac && out.identity.mac >> 48 == 0);
    require(out.identity.developmentMode >= -1 && out.identity.developmentMode <= 1);
    const size_t records = size - 1; // the checksum byte is no record's payload
    if (out.identity.boardName != nullptr)
        require(inside(out.identity.boardName, out.identity.boardNameSize, data, records));
    if (out.identity.remark != nullptr)
        require(inside(out.identity.remark, out.identity.remarkSize, data, records));
    if (out.block.data != nullptr)
        require(inside(out.block.data, out.block.dataSize, data, records));
    else
        require(out.block.dataSize == 0);
}

// Takes fields from the front of the input; zeros once it runs dry.
struct FieldReader {
    const uint8_t *data;
    size_t left;

    uint64_t take(size_t bytes)
    {
        uint64_t value = 0;
        for (size_t i = 0; i < bytes; ++i) {
            value = value << 8 | (left > 0 ? *data : 0);
            if (left > 0) {
                ++data;
                --left;
            }
        }
        return value;
    }

    const char *takeText(size_t *size)
    {
        *size = take(1) % 64;
        if (*size > left)
            *size = left;
        const auto *text = reinterpret_cast<const char *>(data);
        data += *size;
        left -= *size;
        return text;
    }
};

void checkRoundTrip(const uint8_t *data, size_t size)
{
    FieldReader in{data, size};
    DecodedIdentity id;
    id.mac = in.take(6) | 1; // a frame without MAC is dropped by design
    const auto opcode = uint16_t(in.take(2));
    id.ip = uint32_t(in.take(4));
    id.netmask = uint32_t(in.take(4));
    id.gateway = uint32_t(in.take(4));
    id.networkMode = int32_t(in.take(4));
    id.developmentMode = int32_t(in.take(1)) % 3 - 1; // -1: not sent
    id.board = uint32_t(in.take(4));
    id.cpu = uint32_t(in.take(4));
    id.serial = in.take(8);
    id.hasMade = in.take(1) & 1;
    id.madeSince2000 = id.hasMade ? uint32_t(in.take(4)) : 0;
    id.versionS = uint32_t(in.take(2));
    id.versionD = uint32_t(in.take(2));
    id.boardName = in.takeText(&id.boardNameSize);
    id.remark = in.takeText(&id.remarkSize);
    const auto offset = int32_t(in.take(4));
    const auto total = uint32_t(in.take(4));
    size_t blockSize = 0;
    const char *block = in.takeText(&blockSize);

    uint8_t frame[kDatagramBufferSize];
    DatagramBuilder b = datagramBegin(id.mac, frame, sizeof frame, opcode);
    require(datagramAppendIdentity(&b, id));
    require(datagramAppendU32(&b, TagBlockOffset, uint32_t(offset)));
    require(datagramAppendU32(&b, TagBlockTotal, total));
    require(datagramAppendData(&b, TagData, block, blockSize));
    const size_t len = datagramFinish(&b);
    require(len > kFrameMinSize && len <= sizeof frame);

    DecodedDatagram out;
    require(datagramDecode(0x0A000001, frame, len, &out) == DecodeStatus::Ok);
    const DecodedIdentity &got = out.identity;
    require(out.opcode == opcode && got.mac == (id.mac & 0xFFFFFFFFFFFF));
    require(got.ip == id.ip && got.netmask == id.netmask && got.gateway == id.gateway);
    require(got.networkMode == id.networkMode);
    require(got.developmentMode == (id.developmentMode == -1 ? -1 : id.developmentMode != 0));
    require(got.board == id.board && got.cpu == id.cpu && got.serial == id.serial);
    require(got.hasMade == id.hasMade && got.madeSince2000 == id.madeSince2000);
    require(got.versionS == id.versionS && got.versionD == id.versionD);
    require(got.boardNameSize == id.boardNameSize && sameBytes(got.boardName, id.boardName, id.boardNameSize));
    require(got.remarkSize == id.remarkSize && sameBytes(got.remark, id.remark, id.remarkSize));
    require(out.block.offset == offset && out.block.total == total);
    require(out.block.dataSize == blockSize && sameBytes(out.block.data, block, blockSize));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkDecode(data, size);
    checkRoundTrip(data, size);
    return 0;
}
