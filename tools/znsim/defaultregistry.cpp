#include "defaultregistry.h"

#include "byteorder.h"
#include "store.h"

namespace {

using zn::RegistryHandle;

void setU32(RegistryHandle *section, uint32_t key, uint32_t value)
{
    uint8_t bytes[4];
    writeLE32(bytes, value);
    zn::reg_set(section, key, bytes, sizeof bytes);
}

void setIPv4(RegistryHandle *section, uint32_t key, uint32_t address)
{
    uint8_t bytes[4];
    writeBE(bytes, address, sizeof bytes); // dotted order
    zn::reg_set(section, key, bytes, sizeof bytes);
}

void setBool(RegistryHandle *section, uint32_t key, bool value)
{
    const uint8_t byte = value ? 1 : 0;
    zn::reg_set(section, key, &byte, 1);
}

void setText(RegistryHandle *section, uint32_t key, const QByteArray &text)
{
    zn::reg_set(section, key, text.constData(), uint32_t(text.size()));
}

} // namespace

QByteArray defaultRegistryArea(const SimDevice &device)
{
    const zn::DecodedIdentity &id = device.identity;
    QByteArray area(kRegistryArea, '\0');
    RegistryHandle *root = zn::reg_open(reinterpret_cast<uint8_t *>(area.data()), size_t(area.size()));

    RegistryHandle *general = zn::reg_create_section(root, 0xFFA70000);
    setBool(general, 0x02A70001, id.developmentMode == 1);
    setBool(general, 0x02A70002, true);
    setText(general, 0x03A70003, "Europe/Berlin");
    setU32(general, 0x11A70004, 400000000);
    const QByteArray name = device.boardName.isEmpty() ? QByteArrayLiteral("Zentra") : device.boardName.toUtf8();
    setText(general, 0x03A70007, name + ' ' + QByteArray::number(id.serial, 16).toUpper());

    RegistryHandle *network = zn::reg_create_section(root, 0xFFA70100);
    setU32(network, 0x10A70100, id.networkMode >= 0 && id.networkMode <= 2 ? uint32_t(id.networkMode) : 1);
    setIPv4(network, 0x14A70101, id.ip);
    setIPv4(network, 0x14A70102, id.netmask);
    setIPv4(network, 0x14A70103, id.gateway);
    setIPv4(network, 0x14A70107, id.gateway);
    setU32(network, 0x11A70107, 514);
    setU32(network, 0x11A70109, 8080);
    setText(network, 0x03A7010A, "/zentra/" + QByteArray::number(id.mac & 0xFFFFFF, 16));
    setIPv4(network, 0x14A70111, id.gateway);

    RegistryHandle *serial = zn::reg_create_section(root, 0xFFA702FF);
    RegistryHandle *console = zn::reg_create_section(serial, 0xFFA70200);
    setU32(console, 0x11A70200, 115200);
    RegistryHandle *bus = zn::reg_create_section(serial, 0xFFA70201);
    setU32(bus, 0x11A70200, 9600);
    setU32(bus, 0x11A70201, uint32_t(id.mac & 0xFF));

    RegistryHandle *display = zn::reg_create_section(root, 0xFFA703FF);
    uint8_t calibration[24];
    for (size_t i = 0; i < sizeof calibration; ++i)
        calibration[i] = uint8_t(id.serial >> (8 * (i % 8))) ^ uint8_t(i * 37);
    zn::reg_set(display, 0x00A70300, calibration, sizeof calibration);

    zn::reg_close(root);
    return area;
}
