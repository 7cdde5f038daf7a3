#include "configfile.h"

#include "record.h"

#include <cstring>

namespace zn {

namespace {

constexpr size_t kBlobOffset = 24;
constexpr size_t kCoveredOffset = 8; // the CRC starts at the form type
constexpr size_t kTrailerSize = 12;  // "CRCP", 4, crc
constexpr size_t kEmptyRootSize = 8;

// A chunk header: four ASCII letters, then a 32-bit number.
bool chunkIs(const uint8_t *p, const char *tag, uint64_t value)
{
    return std::memcmp(p, tag, 4) == 0 && readLE32(p + 4) == value;
}

void writeChunk(uint8_t *p, const char *tag, uint32_t value)
{
    std::memcpy(p, tag, 4);
    writeLE32(p + 4, value);
}

} // namespace

size_t configFileWrite(const uint8_t *blob, size_t blobSize, uint8_t *out, size_t outCapacity)
{
    if (blobSize > UINT32_MAX - (kConfigFileOverhead - 8) || configFileSize(blobSize) > outCapacity)
        return 0;
    const size_t size = configFileSize(blobSize);
    if (blobSize != 0) // an empty blob may come without a buffer
        std::memmove(out + kBlobOffset, blob, blobSize);
    writeChunk(out, "FRMP", uint32_t(size - 8));
    writeChunk(out + 8, "ZNCP", uint32_t(size - 16));
    writeChunk(out + 16, "REGP", uint32_t(blobSize));
    const uint32_t crc = configCrc32(out + kCoveredOffset, size - kCoveredOffset - kTrailerSize);
    writeChunk(out + size - kTrailerSize, "CRCP", 4);
    writeLE32(out + size - 4, crc);
    return size;
}

ConfigFileStatus configFileCheckSize(uint64_t fileSize, size_t registryCapacity)
{
    return fileSize > uint64_t(registryCapacity) + kConfigFileOverhead ? ConfigFileStatus::TooBig
                                                                        : ConfigFileStatus::Ok;
}

ConfigFileStatus configFileUnwrap(const uint8_t *file, size_t size, size_t registryCapacity,
                                  const uint8_t **blob, size_t *blobSize)
{
    if (configFileCheckSize(size, registryCapacity) != ConfigFileStatus::Ok)
        return ConfigFileStatus::TooBig;
    // A file shorter than the empty container can never pass: the registry
    // chunk length would have to be negative.
    const bool framed = size >= kConfigFileOverhead
        && chunkIs(file, "FRMP", size - 8)
        && chunkIs(file + 8, "ZNCP", size - 16)
        && chunkIs(file + 16, "REGP", size - kConfigFileOverhead)
        && chunkIs(file + size - kTrailerSize, "CRCP", 4)
        && readLE32(file + size - 4) == configCrc32(file + kCoveredOffset, size - 20);
    if (!framed)
        return ConfigFileStatus::NotConfigFile;
    const size_t length = size - kConfigFileOverhead;
    const bool rootCoversBlob = length == 0
        || (length >= kEmptyRootSize && readLE32(file + kBlobOffset) == kRegRootKey
            && readLE32(file + kBlobOffset + 4) == length - kEmptyRootSize);
    if (!rootCoversBlob)
        return ConfigFileStatus::NotConfigFile;
    *blob = file + kBlobOffset;
    *blobSize = length;
    return ConfigFileStatus::Ok;
}

ConfigFileStatus configFileImport(const uint8_t *file, size_t size, uint8_t *dest, size_t destCapacity,
                                  size_t *usedSize)
{
    const uint8_t *blob = nullptr;
    size_t length = 0;
    const ConfigFileStatus status = configFileUnwrap(file, size, destCapacity, &blob, &length);
    if (status != ConfigFileStatus::Ok)
        return status;
    if (length == 0) {
        // Nothing in the file must not leave the previous registry in the buffer.
        if (destCapacity < kEmptyRootSize)
            return ConfigFileStatus::TooBig;
        writeLE32(dest, kRegRootKey);
        writeLE32(dest + 4, 0);
        length = kEmptyRootSize;
    } else {
        std::memmove(dest, blob, length);
    }
    *usedSize = length;
    return ConfigFileStatus::Ok;
}

} // namespace zn
