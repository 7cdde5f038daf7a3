#include "configshowcommand.h"

#include "commandline.h"

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

constexpr int kExitRefused = 3;
constexpr size_t kCapacity = ScanClientRegistry::Capacity;

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

int runConfigShowCommand(const QStringList &arguments)
{
    zn::CommandLine command(
        arguments.first(), QStringLiteral("[options] FILE.znc"),
        QStringLiteral("Checks a configuration file as the import of the configuration dialog does and\n"
                       "prints its registry: one record a line, indented by depth, with name, type, key,\n"
                       "value and description. Exit status: 0 shown, 2 usage error, 3 the file cannot be\n"
                       "read or the import would refuse it (the reason on standard error)."),
        zn::CommandLine::Subcommand);
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Prints the registry as one JSON object, sections with children."));
    command.parser().addOption(json);
    command.parser().addPositionalArgument(QStringLiteral("FILE.znc"), QStringLiteral("The configuration file."));
    if (const auto exit = command.parse(arguments, 1, 1))
        return *exit;
    return showConfig(command.parser().positionalArguments().first(), command.parser().isSet(json));
}
