// The value text codec on any key, payload and edited value:
// - a payload's edit value is accepted back, and what it writes shows the
//   same edit value and display text (a payload of another length than its
//   type takes is normalised once, then stays as it is);
// - edit mode never shows the tag map's names;
// - an accepted edited value stores a payload whose edit value stores the same
//   bytes again, and a refused one leaves the output alone.
// Local time is a zone with daylight saving time, so that edit values in the
// hour that the clocks skip or repeat come up.
//
// Input: key choice, flags (bit 0 hex preference, bit 1 edited value instead of
// payload, bits 2-4 the variant's type), key bits, then the payload or value.
#include "fuzzcheck.h"
#include "password.h"
#include "tagmap.h"
#include "valuecodec.h"
#include "valuetypes.h"

#include <QDateTime>
#include <QList>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

const uint8_t kCodes[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x10, 0x11,
                          0x14, 0x15, 0x16, 0x18, 0x19, 0x20, 0x21, 0x22, 0xFF, 0x42};

struct Setup {
    TagMap map;
    QList<uint32_t> namedKeys; // keys with named values, for the name lookups
};

const Setup &setup()
{
    static const Setup s = [] {
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
        // Salts from a fixed source, so that a finding replays.
        setPasswordRandomSource([](uint8_t *buffer, size_t size) {
            std::memset(buffer, 7, size);
            return true;
        });
        Setup made;
        made.map.loadFile(QStringLiteral(":/maps/znmap.csv"));
        for (const TagMapEntry &entry : made.map.entries()) {
            if (!entry.values.isEmpty())
                made.namedKeys << entry.key;
        }
        FUZZ_CHECK(!made.namedKeys.isEmpty());
        return made;
    }();
    return s;
}

uint32_t chooseKey(uint8_t choice, uint8_t low)
{
    const QList<uint32_t> &named = setup().namedKeys;
    if (choice & 0x80)
        return named[(choice & 0x7F) % named.size()];
    return uint32_t(kCodes[choice % sizeof kCodes]) << 24 | 0xA70000u | low;
}

uint64_t readNumber(const uint8_t *data, size_t size)
{
    uint64_t n = 0;
    for (size_t i = 0; i < size && i < 8; ++i)
        n |= uint64_t(data[i]) << (8 * i);
    return n;
}

// An edited value as the editors hand it over: mostly text, otherwise the
// editor's own type with a number from the input.
QVariant editedValue(uint8_t kind, const uint8_t *data, size_t size)
{
    const uint64_t n = readNumber(data, size);
    switch (kind) {
    case 0:
    case 1:
        return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    case 2:
        return QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    case 3:
        return int(n);
    case 4:
        return qlonglong(n);
    case 5:
        return qulonglong(n);
    case 6:
        return QDate::fromJulianDay(qint64(n % 8000000) - 1000000);
    default:
        return QDateTime(QDate::fromJulianDay(2440000 + qint64(n % 40000)),
                         QTime::fromMSecsSinceStartOfDay(int((n >> 16) % 86400000)));
    }
}

bool isPassword(uint32_t key)
{
    return valueTypeOf(key) == ValueType::Password;
}

// A payload that was written once: its edit value writes it again unchanged.
void checkStable(uint32_t key, const QByteArray &payload, bool hex)
{
    const QVariant edit = formatPayload(key, payload, true, hex);
    if (!edit.isValid() || isPassword(key))
        return;
    QByteArray again;
    FUZZ_CHECK(parsePayload(key, edit, &again));
    FUZZ_CHECK(again == payload);
}

void checkPayload(uint32_t key, const QByteArray &payload, bool hex)
{
    const TagMap *map = &setup().map;
    const QVariant display = formatPayload(key, payload, false, hex, map);
    FUZZ_CHECK(display.typeId() == QMetaType::QString);
    const QVariant edit = formatPayload(key, payload, true, hex, map);
    FUZZ_CHECK(edit == formatPayload(key, payload, true, hex));
    if (!edit.isValid() || isPassword(key))
        return;
    QByteArray written;
    FUZZ_CHECK(parsePayload(key, edit, &written));
    FUZZ_CHECK(formatPayload(key, written, true, hex) == edit);
    // A wrong-length enum shows as binary text until an edit gives it its 4 bytes.
    if (valueTypeOf(key) != ValueType::Enum || payload.size() == 4)
        FUZZ_CHECK(formatPayload(key, written, false, hex, map) == display);
    checkStable(key, written, hex);
}

void checkEdit(uint32_t key, const QVariant &value, bool hex)
{
    const QByteArray untouched("untouched");
    QByteArray payload = untouched;
    if (!parsePayload(key, value, &payload)) {
        FUZZ_CHECK(payload == untouched);
        return;
    }
    if (isPassword(key)) {
        FUZZ_CHECK(payload.isEmpty() || (payload.size() == 34 && payload.startsWith("$1$")));
        return;
    }
    checkStable(key, payload, hex);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const uint32_t key = chooseKey(data[0], data[2]);
    const bool hex = data[1] & 1;
    const uint8_t *rest = data + 3;
    const size_t restSize = size - 3;
    if (data[1] & 2)
        checkEdit(key, editedValue((data[1] >> 2) & 7, rest, restSize), hex);
    else
        checkPayload(key, QByteArray(reinterpret_cast<const char *>(rest), qsizetype(restSize)), hex);
    return 0;
}
