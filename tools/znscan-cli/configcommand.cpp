#include "configcommand.h"

#include "commandgroup.h"
#include "configshowcommand.h"

namespace {

const Subcommand kSubcommands[] = {
    {"show", "Checks a configuration file (.znc) and prints its registry.", runConfigShowCommand},
};

} // namespace

int runConfigCommand(const QStringList &arguments)
{
    return runCommandGroup(arguments, QStringLiteral("Configuration files (.znc), as the configuration dialog reads them."),
                           kSubcommands);
}
