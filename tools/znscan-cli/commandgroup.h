// A command made of subcommands ("znscan-cli", "znscan-cli config"): its help
// lists them, and its first positional argument names the one that parses the
// rest. A new subcommand is a file with its own parser and a row in its
// group's table.
#pragma once

#include "commandline.h"

#include <QStringList>

#include <span>

struct Subcommand {
    const char *name;
    const char *summary;
    // arguments: the command's words first ("znscan-cli scan"), as its usage
    // line names them, then its own arguments. Returns the exit status.
    int (*run)(const QStringList &arguments);
};

// arguments as Subcommand::run takes them; returns the exit status.
int runCommandGroup(const QStringList &arguments, const QString &description, std::span<const Subcommand> subcommands,
                    zn::CommandLine::Kind kind = zn::CommandLine::Subcommand);
