#include "commandline.h"

#include <cstdio>

namespace zn {

namespace {

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

QStringList programArguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

CommandLine::CommandLine(const QString &command, const QString &synopsis, const QString &description, Kind kind)
    : m_command(command),
      m_synopsis(synopsis),
      m_kind(kind),
      m_help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help.")),
      m_version({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Shows the version."))
{
    m_parser.setApplicationDescription(description);
    m_parser.addOption(m_help);
    if (kind == Program)
        m_parser.addOption(m_version);
}

std::optional<int> CommandLine::parse(const QStringList &arguments, qsizetype minArguments, qsizetype maxArguments)
{
    if (!m_parser.parse(arguments))
        return usageError(m_parser.errorText());
    if (m_parser.isSet(m_help)) {
        print(stdout, helpText());
        return 0;
    }
    if (m_kind == Program && m_parser.isSet(m_version)) {
        print(stdout, QStringLiteral("%1 %2\n").arg(m_command, QStringLiteral(ZN_VERSION)));
        return 0;
    }
    const QStringList positional = m_parser.positionalArguments();
    if (positional.size() < minArguments)
        return usageError(QStringLiteral("Missing argument."));
    if (positional.size() > maxArguments)
        return usageError(QStringLiteral("Unexpected argument '%1'.").arg(positional.at(maxArguments)));
    return std::nullopt;
}

int CommandLine::usageError(const QString &message) const
{
    // The message last, where it stays in sight above the prompt.
    print(stderr, QStringLiteral("%1\n%2: %3\n").arg(helpText(), m_command, message));
    return kExitUsage;
}

QString CommandLine::helpText() const
{
    // Qt's first line names the executable as it was started; ours names the
    // command, subcommand words included.
    const QString text = m_parser.helpText();
    return QStringLiteral("usage: %1 %2").arg(m_command, m_synopsis) + text.mid(text.indexOf(QLatin1Char('\n')));
}

} // namespace zn
