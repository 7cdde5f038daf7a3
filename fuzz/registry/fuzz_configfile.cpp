// Validates arbitrary files, and files written from an arbitrary blob with at
// most one byte changed afterwards. A file that passes unwraps to a blob that
// writes back to the same file and opens as a clean registry, which
// "znscan-cli config show" prints in both forms, each record at most once, so
// no walk of an accepted file can loop. A written file with any one byte
// changed never passes.
#include "configfile.h"
#include "fuzzcheck.h"
#include "registryprinter.h"
#include "store.h"
#include "tagmap.h"

#include <QJsonArray>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace zn;

namespace {

constexpr size_t kCapacity = 4096;

int countObjects(const QJsonObject &object)
{
    int count = 1;
    for (const QJsonValue &child : object["children"].toArray())
        count += countObjects(child.toObject());
    return count;
}

// Each record shown takes at least its 8-byte header of the blob. (Lines of
// the text are not counted: a string value may hold line feeds.)
void checkPrinted(RegistryHandle *root, size_t used)
{
    static const TagMap tagMap = [] {
        TagMap map;
        map.loadFile(QStringLiteral(":/maps/znmap.csv"));
        return map;
    }();
    const int records = countObjects(registryToJson(root, tagMap)) - 1;
    FUZZ_CHECK(records >= 0 && size_t(records) <= (used - 8) / 8);
    FUZZ_CHECK(registryToText(root, tagMap).startsWith(QLatin1String("Root (Section 0xFFFFFFFF)\n")));
}

ConfigFileStatus checkFile(const uint8_t *file, size_t size)
{
    const uint8_t *blob = nullptr;
    size_t blobSize = 0;
    const ConfigFileStatus status = configFileUnwrap(file, size, kCapacity, &blob, &blobSize);
    FUZZ_CHECK((status == ConfigFileStatus::TooBig) == (size > kCapacity + kConfigFileOverhead));
    FUZZ_CHECK(configFileCheckSize(size, kCapacity) == (status == ConfigFileStatus::TooBig
                                                            ? ConfigFileStatus::TooBig
                                                            : ConfigFileStatus::Ok));

    std::vector<uint8_t> registry(kCapacity, 0x5A);
    size_t used = 0;
    FUZZ_CHECK(configFileImport(file, size, registry.data(), kCapacity, &used) == status);
    if (status != ConfigFileStatus::Ok) {
        FUZZ_CHECK(std::all_of(registry.begin(), registry.end(), [](uint8_t b) { return b == 0x5A; }));
        return status;
    }
    FUZZ_CHECK(blob == file + 24 && blobSize == size - kConfigFileOverhead);
    std::vector<uint8_t> again(size);
    FUZZ_CHECK(configFileWrite(blob, blobSize, again.data(), again.size()) == size);
    FUZZ_CHECK(std::memcmp(again.data(), file, size) == 0);

    FUZZ_CHECK(used == (blobSize ? blobSize : 8));
    RegistryHandle *root = reg_open(registry.data(), kCapacity);
    FUZZ_CHECK(root && reg_is_dirty(root) == 0 && reg_used_size(root) == used);
    checkPrinted(root, used);
    reg_close(root);
    return status;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // Mode 0: the input is the file. Otherwise the input (after three bytes
    // that say where to change a byte, if at all) is the blob.
    if (data[0] % 2 == 0) {
        checkFile(data + 1, size - 1);
        return 0;
    }
    if (size < 3)
        return 0;
    const size_t blobSize = size - 3;
    std::vector<uint8_t> file(configFileSize(blobSize));
    FUZZ_CHECK(configFileWrite(data + 3, blobSize, file.data(), file.size()) == file.size());
    const size_t where = size_t(data[1] | data[2] << 8);
    const bool changed = where < file.size() && (data[0] & 0xFE);
    if (changed)
        file[where] ^= uint8_t(data[0] & 0xFE);
    const ConfigFileStatus status = checkFile(file.data(), file.size());
    if (changed)
        FUZZ_CHECK(status != ConfigFileStatus::Ok);
    return 0;
}
