#include "configpeeroptions.h"

#include "configfile.h"
#include "defaultregistry.h"
#include "mac.h"

#include <QFile>

namespace {

bool parseMac(const QString &text, quint64 *mac)
{
    Mac parsed;
    if (!Mac::parse(text, &parsed, kSimVendorPrefix))
        return false;
    *mac = parsed.value();
    return true;
}

bool parseCount(const QString &text, int max, int *value)
{
    bool ok = false;
    *value = text.toInt(&ok);
    return ok && *value >= 0 && *value <= max;
}

// "MAC=VALUE"
bool splitPair(const QString &text, quint64 *mac, QString *value)
{
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    *value = text.mid(eq + 1);
    return eq > 0 && parseMac(text.left(eq), mac);
}

bool loadRegistry(const QString &path, QByteArray *area, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("--registry %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.read(qint64(zn::configFileSize(size_t(kRegistryArea))) + 1);
    *area = QByteArray(kRegistryArea, '\0');
    size_t used = 0;
    if (zn::configFileImport(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()),
                             reinterpret_cast<uint8_t *>(area->data()), size_t(area->size()), &used)
        != zn::ConfigFileStatus::Ok) {
        *error = QStringLiteral("--registry %1: not a configuration file").arg(path);
        return false;
    }
    return true;
}

} // namespace

QList<QCommandLineOption> configPeerCommandLineOptions()
{
    return {
        {QStringLiteral("registry"), QStringLiteral("That device's registry from a .znc file (repeatable)."),
         QStringLiteral("mac=file")},
        {QStringLiteral("save-dir"),
         QStringLiteral("Writes each device's registry to DIR/<MAC>.znc at start and after every upload."),
         QStringLiteral("dir")},
        {QStringLiteral("loss"), QStringLiteral("Drops PCT % of the transfer datagrams, both directions."),
         QStringLiteral("pct"), QStringLiteral("0")},
        {QStringLiteral("duplicate"), QStringLiteral("Sends PCT % of them twice."), QStringLiteral("pct"),
         QStringLiteral("0")},
        {QStringLiteral("reorder"), QStringLiteral("Holds PCT % of them back 1 to 100 ms, so that later ones overtake."),
         QStringLiteral("pct"), QStringLiteral("0")},
        {QStringLiteral("delay"), QStringLiteral("Every transfer datagram takes MS ms longer."), QStringLiteral("ms"),
         QStringLiteral("0")},
        {QStringLiteral("deny"), QStringLiteral("That device denies every transfer (repeatable)."), QStringLiteral("mac")},
        {QStringLiteral("error-after"), QStringLiteral("That device reports an error after N blocks (repeatable)."),
         QStringLiteral("mac=n")},
        {QStringLiteral("silent-after"),
         QStringLiteral("That device stops answering after N blocks; 0: it never answers (repeatable)."),
         QStringLiteral("mac=n")},
        {QStringLiteral("stale-first"),
         QStringLiteral("That device sends its final block before the first of every download (repeatable)."),
         QStringLiteral("mac")},
    };
}

bool configPeerOptionsFromCommandLine(const QCommandLineParser &parser, ConfigPeer::Options *options, QString *error)
{
    struct Percent {
        const char *name;
        int max;
        int *value;
    };
    FaultyLink::Options &link = options->link;
    for (const Percent &p : {Percent{"loss", 100, &link.lossPercent}, Percent{"duplicate", 100, &link.duplicatePercent},
                             Percent{"reorder", 100, &link.reorderPercent}, Percent{"delay", 60000, &link.delayMs}}) {
        if (!parseCount(parser.value(QLatin1String(p.name)), p.max, p.value)) {
            *error = QStringLiteral("Bad --%1 value.").arg(QLatin1String(p.name));
            return false;
        }
    }
    options->saveDir = parser.value(QStringLiteral("save-dir"));

    for (const QString &pair : parser.values(QStringLiteral("registry"))) {
        quint64 mac = 0;
        QString path;
        if (!splitPair(pair, &mac, &path)) {
            *error = QStringLiteral("--registry wants MAC=FILE: %1").arg(pair);
            return false;
        }
        if (!loadRegistry(path, &options->registries[mac], error))
            return false;
    }
    for (const char *name : {"deny", "stale-first"}) {
        for (const QString &text : parser.values(QLatin1String(name))) {
            quint64 mac = 0;
            if (!parseMac(text, &mac)) {
                *error = QStringLiteral("--%1 wants a MAC: %2").arg(QLatin1String(name), text);
                return false;
            }
            ConfigPeer::DeviceFaults &faults = options->faults[mac];
            (qstrcmp(name, "deny") == 0 ? faults.deny : faults.staleFirst) = true;
        }
    }
    for (const char *name : {"error-after", "silent-after"}) {
        for (const QString &pair : parser.values(QLatin1String(name))) {
            quint64 mac = 0;
            QString count;
            int blocks = 0;
            if (!splitPair(pair, &mac, &count) || !parseCount(count, 1 << 20, &blocks)) {
                *error = QStringLiteral("--%1 wants MAC=N: %2").arg(QLatin1String(name), pair);
                return false;
            }
            ConfigPeer::DeviceFaults &faults = options->faults[mac];
            (qstrcmp(name, "error-after") == 0 ? faults.errorAfter : faults.silentAfter) = blocks;
        }
    }
    return true;
}
