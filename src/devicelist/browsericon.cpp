#include "browsericon.h"

#include <QIcon>

#ifdef Q_OS_WIN
#include <QImage>
#include <QSettings>
#include <qt_windows.h>
#include <shellapi.h>
#include <string>
#endif

QString browserProgramFromCommand(const QString &command)
{
    qsizetype start = 0;
    while (start < command.size() && command.at(start).isSpace())
        ++start;
    if (start < command.size() && command.at(start) == u'"') {
        ++start;
        const qsizetype quote = command.indexOf(u'"', start);
        return command.mid(start, quote < 0 ? -1 : quote - start);
    }
    qsizetype end = start;
    while (end < command.size() && !command.at(end).isSpace())
        ++end;
    return command.mid(start, end - start);
}

#ifdef Q_OS_WIN
QPixmap defaultBrowserPixmap()
{
    const QSettings command(QStringLiteral("HKEY_CLASSES_ROOT\\http\\shell\\open\\command"), QSettings::NativeFormat);
    const QString program = browserProgramFromCommand(command.value(QStringLiteral("Default")).toString());
    if (program.isEmpty())
        return {};
    const std::wstring path = program.toStdWString();
    const HICON icon = ExtractIconW(GetModuleHandleW(nullptr), path.c_str(), 0);
    // ExtractIconW answers 1 for a file that holds no icon.
    if (icon == nullptr || icon == reinterpret_cast<HICON>(1))
        return {};
    const QPixmap pixmap = QPixmap::fromImage(QImage::fromHICON(icon));
    DestroyIcon(icon);
    return pixmap;
}
#else
QPixmap defaultBrowserPixmap()
{
    return QIcon::fromTheme(QStringLiteral("web-browser")).pixmap(16, 16);
}
#endif
