#include "commandgroup.h"

#include <cstring>
#include <limits>

int runCommandGroup(const QStringList &arguments, const QString &description, std::span<const Subcommand> subcommands,
                    zn::CommandLine::Kind kind)
{
    const QString &self = arguments.first();
    size_t width = 0;
    for (const Subcommand &subcommand : subcommands)
        width = std::max(width, std::strlen(subcommand.name));
    QString list = QStringLiteral("\n\nCommands:\n");
    for (const Subcommand &subcommand : subcommands)
        list += QStringLiteral("  %1  %2\n")
                    .arg(QString::fromLatin1(subcommand.name).leftJustified(qsizetype(width)),
                         QString::fromUtf8(subcommand.summary));
    list += QStringLiteral("\"%1 COMMAND --help\" describes a command.").arg(self);

    zn::CommandLine command(self, QStringLiteral("[options] COMMAND [ARGUMENTS]"), description + list, kind);
    // What follows the command's name is the command's to parse.
    command.parser().setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (const auto exit = command.parse(arguments, 0, std::numeric_limits<qsizetype>::max()))
        return *exit;
    QStringList rest = command.parser().positionalArguments();
    if (rest.isEmpty())
        return command.usageError(QStringLiteral("Missing command."));
    const QString name = rest.takeFirst();
    for (const Subcommand &subcommand : subcommands) {
        if (name == QLatin1String(subcommand.name))
            return subcommand.run(QStringList{self + QLatin1Char(' ') + name} + rest);
    }
    return command.usageError(QStringLiteral("Unknown command '%1'.").arg(name));
}
