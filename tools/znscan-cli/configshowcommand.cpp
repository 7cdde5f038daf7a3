#include "configshowcommand.h"

#include "commandline.h"

#include "configfiles.h"
#include "registryprinter.h"
#include "store.h"
#include "tagmap.h"

#include <QJsonDocument>

#include <cstdio>

namespace {

int showConfig(const QString &path, bool json)
{
    QByteArray registry;
    if (!loadConfigFile(path, &registry))
        return kExitRefusedFile;
    zn::RegistryHandle *root = zn::reg_open(reinterpret_cast<uint8_t *>(registry.data()), size_t(registry.size()));
    if (!root)
        return kExitRefusedFile;

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
