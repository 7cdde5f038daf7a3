#include "configcommand.h"

#include "commandgroup.h"
#include "configdiffcommand.h"
#include "configshowcommand.h"

namespace {

const Subcommand kSubcommands[] = {
    {"show", "Checks a configuration file (.znc) and prints its registry.", runConfigShowCommand},
    {"diff", "What changes from one configuration file to another, key by key.", runConfigDiffCommand},
};

} // namespace

int runConfigCommand(const QStringList &arguments)
{
    return runCommandGroup(arguments, QStringLiteral("Configuration files (.znc), as the configuration dialog reads them."),
                           kSubcommands);
}
