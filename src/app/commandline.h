// The command-line conventions every program of the project shares, on
// QCommandLineParser: -h/--help prints the help on standard output and exits
// 0, -v/--version (programs, not subcommands) prints the project's version,
// and a usage error prints the help and the error on standard error and
// exits 2.
#pragma once

#include <QCommandLineParser>

#include <optional>

namespace zn {

inline constexpr int kExitUsage = 2;

// argv as Qt reads it, for parsing before an application object exists.
QStringList programArguments(int argc, char **argv);

class CommandLine
{
public:
    enum Kind { Program, Subcommand };

    // command: what the usage line names ("znscan-cli", "znscan-cli scan");
    // synopsis: what follows it there ("[options] FILE.znc").
    CommandLine(const QString &command, const QString &synopsis, const QString &description, Kind kind);

    // For the options and positional arguments of the command.
    QCommandLineParser &parser() { return m_parser; }
    const QCommandLineParser &parser() const { return m_parser; }

    // Parses arguments; the first one (the program or the command) is skipped.
    // Returns the exit status when the command ends here: 0 after --help or
    // --version, kExitUsage after a usage error, which includes a number of
    // positional arguments outside [minArguments, maxArguments].
    std::optional<int> parse(const QStringList &arguments, qsizetype minArguments = 0, qsizetype maxArguments = 0);

    // Prints the help and then the message on standard error; returns kExitUsage.
    int usageError(const QString &message) const;

private:
    QString helpText() const;

    QCommandLineParser m_parser;
    QString m_command;
    QString m_synopsis;
    Kind m_kind;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
};

} // namespace zn
