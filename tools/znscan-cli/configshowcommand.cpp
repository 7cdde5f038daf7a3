#include "configcommand.h"

#include "configfile.h"
#include "registryprinter.h"
#include "scanclientregistry.h"
#include "store.h"
#include "tagmap.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>

#include <cstdio>
#include <vector>

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitRefused = 3;
constexpr size_t kCapacity = ScanClientRegistry::Capacity;

const char kUsage[] = "usage: znscan-cli config show FILE.znc [--json]\n";

void printError(const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stderr);
}

QString translated(const char *text)
{
    return QCoreApplication::translate("ScanClientRegistryDialog", text);
}

// Reads and validates the file into registry (kCapacity bytes); false after
// printing why the import would refuse it.
bool loadConfigFile(const QString &path, uint8_t *registry)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printError(file.errorString());
        return false;
    }
    if (zn::configFileCheckSize(uint64_t(file.size()), kCapacity) == zn::ConfigFileStatus::TooBig) {
        printError(translated("File too big."));
        return false;
    }
    const QByteArray bytes = file.read(qint64(zn::configFileSize(kCapacity)));
    size_t used = 0;
    if (zn::configFileImport(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()), registry,
                             kCapacity, &used)
        != zn::ConfigFileStatus::Ok) {
        printError(translated("This is not a configuration file."));
        return false;
    }
    return true;
}

int showConfig(const QString &path, bool json)
{
    std::vector<uint8_t> registry(kCapacity, 0);
    if (!loadConfigFile(path, registry.data()))
        return kExitRefused;
    zn::RegistryHandle *root = zn::reg_open(registry.data(), registry.size());
    if (!root)
        return kExitRefused;

    TagMap tagMap;
    tagMap.loadFile(QStringLiteral(":/maps/znmap.csv"));
    const QByteArray out = json ? QJsonDocument(registryToJson(root, tagMap)).toJson(QJsonDocument::Indented)
                                : registryToText(root, tagMap).toUtf8();
    zn::reg_close(root);
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return 0;
}

} // namespace

int runConfigCommand(const QStringList &args)
{
    QStringList rest = args;
    const bool json = rest.removeAll(QStringLiteral("--json")) > 0;
    if (rest.size() != 2 || rest.at(0) != QLatin1String("show") || rest.at(1).startsWith(QLatin1String("--"))) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    return showConfig(rest.at(1), json);
}
