#include "devicegenerator.h"

#include "seededrandom.h"

#include <array>

namespace {

using Random = SeededRandom;

struct BoardType {
    quint32 board;
    const char *name;
    quint32 cpu;
};

constexpr std::array<BoardType, 4> kBoards = {{
    {12, "ZN-210", 0x0A0B0C01},
    {0x21, "ZN-330 Pro", 0x0A0B0C02},
    {0x2A, "ZN-450", 0x1F000003},
    {0x101, "", 0x1F000004},
}};

constexpr std::array<const char *, 5> kRemarks = {"Hall 3", "Line 7 \u2013 S\u00FCd", "spare", "Rack B/12", "test bench"};

constexpr quint32 kMade2012 = 378691200; // 2012-01-01, counted from 2000-01-01
constexpr quint32 kMade2025 = 788918400;

void chooseNetwork(Random &random, quint32 index, zn::DecodedIdentity *d)
{
    const quint32 pick = random.below(20);
    d->networkMode = pick < 2 ? 0 : pick < 10 ? 1 : pick < 18 ? 2 : pick == 18 ? 7 : -1;
    const quint32 subnet = (index / 250) % 256;
    if (d->networkMode == 2) {
        d->ip = 0xC0A80000 | subnet << 8 | (index % 250 + 2);
        d->netmask = random.oneIn(50) ? 0xFF00FF00 : 0xFFFFFF00; // a few masks without prefix length
        d->gateway = 0xC0A80001 | subnet << 8;
    } else if (d->networkMode == 1 && !random.oneIn(4)) {
        d->ip = 0xAC100000 | ((index + 256) & 0xFFFF);
        d->netmask = 0xFFFF0000;
        d->gateway = 0xAC100001;
    }
}

quint16 chooseVersion(Random &random)
{
    if (random.oneIn(12))
        return 0;
    if (random.oneIn(20))
        return quint16(10000 + random.below(50000)); // shown in plain decimal
    return quint16(random.below(30) * 100 + random.below(24));
}

} // namespace

QList<SimDevice> generateDevices(int count, quint64 seed)
{
    QList<SimDevice> devices;
    devices.reserve(count);
    Random random(seed);
    // Simulators on several segments, started with different seeds, must not share MACs.
    const quint32 firstIndex = quint32(seed & 0xFF) << 16;
    for (int i = 1; i <= count; ++i) {
        const quint32 index = quint32(i);
        SimDevice d;
        zn::DecodedIdentity &id = d.identity;
        id.mac = quint64(kSimVendorPrefix) << 24 | ((firstIndex + index) & 0xFFFFFF);
        const BoardType &type = kBoards[random.below(kBoards.size())];
        id.board = type.board;
        id.cpu = type.cpu;
        d.boardName = random.oneIn(6) ? QString() : QString::fromUtf8(type.name);
        chooseNetwork(random, index, &id);
        id.developmentMode = random.oneIn(8) ? 1 : random.oneIn(25) ? -1 : 0;
        id.serial = quint64(random.below(0x10000)) << 40 | quint64(index) << 8 | random.below(256);
        if (random.oneIn(97)) {
            id.hasMade = true; // the first second of 2000
        } else if (!random.oneIn(15)) {
            id.hasMade = true;
            id.madeSince2000 = kMade2012 + random.below(kMade2025 - kMade2012);
        }
        id.versionS = chooseVersion(random);
        id.versionD = random.oneIn(3) ? id.versionS : chooseVersion(random);
        if (random.oneIn(4))
            d.remark = QString::fromUtf8(kRemarks[random.below(kRemarks.size())]);
        devices.append(d);
    }
    return devices;
}
