// The controller datagram format: "DISCOVER" frame, big-endian type-length-value
// records and a CRC-8 trailer. Plain C++ so that the simulator, fuzzers and
// benchmarks use exactly the code the scanner uses.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zn {

constexpr uint16_t kScanPort = 65533;
constexpr size_t kFrameMinSize = 11;       // magic + opcode + checksum
constexpr size_t kDatagramBufferSize = 2048;
constexpr size_t kMagicSize = 8;
extern const char kMagic[kMagicSize + 1]; // "DISCOVER"

enum Opcode : uint16_t {
    OpReset = 0,
    OpDiscoverRequest = 1,
    OpDiscoverAnswer = 2,
    OpBuzz = 3,
    OpDownloadRequest = 4,
    OpUploadRequest = 5,
    OpDataBlock = 6,
    OpBlockRequest = 7,
    OpTransferDenied = 8,
    OpTransferError = 9,
};

enum RecordTag : uint16_t {
    TagData = 0x0020,
    TagBoardName = 0x0301,
    TagRemark = 0x0302,
    TagNetworkMode = 0x1000,
    TagDevelopmentMode = 0x1005,
    TagBoard = 0x1101,
    TagCpu = 0x1102,
    TagMade = 0x1104,
    TagVersionS = 0x1105,
    TagVersionD = 0x1106,
    TagBlockOffset = 0x1121,
    TagBlockTotal = 0x1122,
    TagResetKind = 0x1123,
    TagAddress = 0x1400,
    TagMac = 0x1500,
    TagSerial = 0x1803,
};

// CRC-8, Dallas/Maxim polynomial processed reflected, start 0xFF, no final XOR.
uint8_t crc8(const uint8_t *data, size_t len);

// Builder: writes one frame into a caller buffer. Every append checks the
// capacity; one that does not fit writes nothing and returns false, and the
// frame is then refused by datagramFinish (returns 0).
struct DatagramBuilder {
    uint8_t *start = nullptr;
    size_t capacity = 0;
    size_t length = 0;
    bool overflow = false;
};

DatagramBuilder datagramBegin(uint64_t mac, uint8_t *buffer, size_t capacity, uint16_t opcode);
bool datagramAppendU32(DatagramBuilder *b, uint16_t tag, uint32_t value);
bool datagramAppendData(DatagramBuilder *b, uint16_t tag, const void *data, size_t size);
size_t datagramFinish(DatagramBuilder *b); // appends the CRC; total length, 0 on overflow

// The identity records of a discovery answer, as raw wire values. Texts point
// into the datagram and are valid only while it is being handled.
struct DecodedIdentity {
    uint64_t mac = 0;
    uint32_t ip = 0;
    uint32_t netmask = 0;
    uint32_t gateway = 0;
    int32_t networkMode = -1;
    int32_t developmentMode = -1; // 1 or 0 once reported
    uint32_t board = 0;
    uint32_t cpu = 0;
    uint64_t serial = 0;
    bool hasMade = false;
    uint32_t madeSince2000 = 0; // seconds since 2000-01-01 00:00:00 UTC
    uint32_t versionS = 0;
    uint32_t versionD = 0;
    const char *boardName = nullptr;
    size_t boardNameSize = 0;
    const char *remark = nullptr;
    size_t remarkSize = 0;
};

// Device side of a discovery answer: appends the identity records after the
// MAC record of datagramBegin. The address record is always written; network
// and development mode only when not -1, the date only with hasMade, each text
// only when its pointer is set (an empty text gives an empty record).
bool datagramAppendIdentity(DatagramBuilder *b, const DecodedIdentity &identity);

// The transfer records of opcodes 6 to 9.
struct DecodedBlock {
    uint64_t mac = 0;
    int32_t offset = -1;
    uint32_t total = 0;
    const uint8_t *data = nullptr;
    size_t dataSize = 0;
};

enum class DecodeStatus {
    Dropped,  // short, foreign, malformed, no MAC: dropped without a word
    CrcError, // checksum mismatch: crcCarried / crcComputed say which
    Ok,
};

struct DecodedDatagram {
    uint16_t opcode = 0;
    uint8_t crcCarried = 0;  // the last byte of the datagram
    uint8_t crcComputed = 0; // the CRC over everything before it
    int32_t resetKind = -1;  // 0x1123 of a reset command, -1 when absent
    DecodedIdentity identity;
    DecodedBlock block;
};

// Checks only the frame: length, magic and checksum; fills opcode and the two
// CRC bytes. Lets a peer recognise the record-less discovery request, which
// datagramDecode drops for want of a MAC.
DecodeStatus datagramCheckFrame(const uint8_t *data, size_t len, DecodedDatagram *out);

// Verifies and decodes one received datagram. The identity's ip starts as the
// sender's address. Every opcode with a valid frame and a non-zero MAC decodes
// to Ok; which opcodes to act on is the caller's business.
DecodeStatus datagramDecode(uint32_t senderIPv4, const uint8_t *data, size_t len, DecodedDatagram *out);

} // namespace zn
