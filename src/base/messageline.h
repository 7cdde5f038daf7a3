// The message-line convention shared by every producer: a prefix such as
// "[Scan] ", then the text; warnings in yellow and errors in red, each
// coloured line ending with the reset sequence.
#pragma once

#include <QString>

inline QString warningLine(const QString &prefix, const QString &text)
{
    return prefix + QStringLiteral("\x1b[33m") + text + QStringLiteral("\x1b[0m");
}

inline QString errorLine(const QString &prefix, const QString &text)
{
    return prefix + QStringLiteral("\x1b[31m") + text + QStringLiteral("\x1b[0m");
}
