#include "configdiffcommand.h"

#include "commandline.h"

#include "configfiles.h"
#include "registrychanges.h"
#include "tagmap.h"

#include <cstdio>

namespace {

constexpr int kExitDiffer = 1;

int diffConfigs(const QString &before, const QString &after)
{
    QByteArray old;
    QByteArray now;
    if (!loadConfigFile(before, &old) || !loadConfigFile(after, &now))
        return kExitRefusedFile;
    TagMap tagMap;
    tagMap.loadFile(QStringLiteral(":/maps/znmap.csv"));
    const QList<RegistryChange> changes = registryChanges(old, now, &tagMap);
    for (const RegistryChange &change : changes)
        std::fputs((registryChangeText(change) + QLatin1Char('\n')).toUtf8().constData(), stdout);
    return changes.isEmpty() ? 0 : kExitDiffer;
}

} // namespace

int runConfigDiffCommand(const QStringList &arguments)
{
    zn::CommandLine command(
        arguments.first(), QStringLiteral("[options] A.znc B.znc"),
        QStringLiteral("Compares two configuration files key by key, as the configuration dialog lists\n"
                       "what an upload changes: one line per record added, removed or changed from A to\n"
                       "B, with names and values in their display form. Exit status: 0 the same values,\n"
                       "1 they differ, 2 usage error, 3 a file cannot be read or the import would refuse\n"
                       "it (the reason on standard error)."),
        zn::CommandLine::Subcommand);
    command.parser().addPositionalArgument(QStringLiteral("A.znc"), QStringLiteral("The configuration as it is."));
    command.parser().addPositionalArgument(QStringLiteral("B.znc"), QStringLiteral("The configuration as it becomes."));
    if (const auto exit = command.parse(arguments, 2, 2))
        return *exit;
    const QStringList files = command.parser().positionalArguments();
    return diffConfigs(files.at(0), files.at(1));
}
