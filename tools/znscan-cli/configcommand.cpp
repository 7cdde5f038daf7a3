#include "configcommand.h"

#include "commandgroup.h"
#include "configdiffcommand.h"
#include "configshowcommand.h"
#include "configtransfer.h"

namespace {

const Subcommand kSubcommands[] = {
    {"show", "Checks a configuration file (.znc) and prints its registry.", runConfigShowCommand},
    {"diff", "What changes from one configuration file to another, key by key.", runConfigDiffCommand},
    {"get", "Downloads a device's configuration into a file.", runConfigGetCommand},
    {"put", "Uploads a configuration file to a device.", runConfigPutCommand},
};

} // namespace

int runConfigCommand(const QStringList &arguments)
{
    return runCommandGroup(arguments,
                           QStringLiteral("Configuration files (.znc), as the configuration dialog reads them, and the\n"
                                          "transfer of a device's configuration to and from them."),
                           kSubcommands);
}
