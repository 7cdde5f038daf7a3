// Configuration files (".znc"): a registry blob in a small chunked container.
// Plain C++, no toolkit types; the dialog maps the statuses to its texts.
//
//   offset 0       "FRMP", n + 28         outer chunk
//   offset 8       "ZNCP", n + 20         form type and length
//   offset 16      "REGP", n              registry chunk header
//   offset 24      n bytes                the registry blob (used bytes only)
//   offset 24 + n  "CRCP", 4, crc         crc over bytes 8 .. 23 + n
// All numbers are 32-bit little-endian; the file is n + 36 bytes.
//
// API summary:
//   configCrc32(data, len[, crc])             CRC-32 without final inversion ("123456789" -> 0x340BC6D9)
//   configFileSize(n)                         n + 36
//   configFileWrite(blob, n, out, outCap)     writes the whole file; its size, 0 if out is too small
//   configFileCheckSize(fileSize, regCap)     TooBig above regCap + 36 bytes, else Ok
//   configFileUnwrap(file, size, regCap, &blob, &n)   the seven validation tests; blob points into file
//   configFileImport(file, size, dest, destCap, &used) unwrap and copy into a registry buffer
#pragma once

#include <cstddef>
#include <cstdint>

namespace zn {

constexpr size_t kConfigFileOverhead = 36;
constexpr uint32_t kConfigCrcStart = 0xFFFFFFFFu;

enum class ConfigFileStatus {
    Ok,
    TooBig,        // larger than the registry capacity + 36 bytes
    NotConfigFile, // any validation test failed
};

uint32_t configCrc32(const uint8_t *data, size_t len, uint32_t crc = kConfigCrcStart);

constexpr size_t configFileSize(size_t blobSize) { return blobSize + kConfigFileOverhead; }

// Writes the file for a blob of blobSize bytes; returns its size, or 0 (and
// writes nothing) when it does not fit into outCapacity or cannot be framed.
size_t configFileWrite(const uint8_t *blob, size_t blobSize, uint8_t *out, size_t outCapacity);

// The size test made before a file is read.
ConfigFileStatus configFileCheckSize(uint64_t fileSize, size_t registryCapacity);

// Validates a file read into memory. On Ok, *blob points at the registry blob
// inside `file` and *blobSize is its length (0 for a 36-byte file).
ConfigFileStatus configFileUnwrap(const uint8_t *file, size_t size, size_t registryCapacity,
                                  const uint8_t **blob, size_t *blobSize);

// Validates and copies the blob into a registry buffer of destCapacity bytes
// (which is also the registry capacity of the size test). An empty blob
// becomes an empty registry (8 bytes). *usedSize receives the bytes written.
// On failure dest is left untouched.
ConfigFileStatus configFileImport(const uint8_t *file, size_t size, uint8_t *dest, size_t destCapacity,
                                  size_t *usedSize);

} // namespace zn
