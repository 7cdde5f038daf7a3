#include "registrydefaults.h"

#include "store.h"

namespace zn {

namespace {

struct DefaultValue {
    uint32_t key;
    uint32_t length;
    uint8_t bytes[4]; // little-endian where numeric
};

const DefaultValue kGeneral[] = {
    {0x02A70001, 1, {0}},    // Development mode: off
    {0x02A70002, 1, {1}},    // Restrict Remote Config Access: on
    {0x03A70003, 0, {}},     // Timezone
    {0x19A70005, 0, {}},     // Password
};

const DefaultValue kNetwork[] = {
    {0x10A70100, 4, {1, 0, 0, 0}}, // Mode: DHCP
    {0x14A70101, 4, {}},           // IP Address
    {0x14A70102, 4, {}},           // Netmask
    {0x14A70103, 4, {}},           // Gateway
    {0x14A70104, 4, {}},           // Boot Host
    {0x03A70105, 0, {}},           // Boot path
    {0x14A70108, 4, {}},           // Application Server IP
    {0x11A70109, 4, {}},           // Application Server Port
    {0x03A7010A, 0, {}},           // Application Server Path
};

const DefaultValue kSerialPort[] = {
    {0x11A70200, 4, {}}, // Speed
};

constexpr uint32_t kGeneralKey = 0xFFA70000;
constexpr uint32_t kNetworkKey = 0xFFA70100;
constexpr uint32_t kSerialKey = 0xFFA702FF;
constexpr uint32_t kFirstSerialPortKey = 0xFFA70200;
constexpr uint32_t kSerialPorts = 6;

// A section that does not fit is left out, and its values with it.
template <size_t N>
void complete(RegistryHandle *parent, uint32_t sectionKey, const DefaultValue (&values)[N])
{
    RegistryHandle *section = parent ? reg_create_section(parent, sectionKey) : nullptr;
    if (!section)
        return;
    for (const DefaultValue &value : values) {
        if (!reg_get(section, value.key))
            reg_set(section, value.key, value.bytes, value.length);
    }
}

} // namespace

size_t completeRegistryDefaults(uint8_t *buffer, size_t capacity)
{
    RegistryHandle *root = reg_open(buffer, capacity);
    if (!root)
        return 0;
    complete(root, kGeneralKey, kGeneral);
    complete(root, kNetworkKey, kNetwork);
    RegistryHandle *serial = reg_create_section(root, kSerialKey);
    for (uint32_t port = 0; port < kSerialPorts; ++port)
        complete(serial, kFirstSerialPortKey + port, kSerialPort);
    size_t used = reg_used_size(root);
    if (used > capacity)
        used = capacity;
    reg_close(root);
    return used;
}

} // namespace zn
