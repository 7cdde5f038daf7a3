// The icon of the system's default web browser, shown on the Configure
// buttons; only an icon: the browser itself is started by the desktop services.
#pragma once

#include <QPixmap>
#include <QString>

// The program of a shell open command such as
// "\"C:\\Program Files\\Browser\\browser.exe\" -osint -url \"%1\"": leading
// blanks skipped, then the text between the first pair of quotes, or without
// quotes the text up to the first blank.
QString browserProgramFromCommand(const QString &command);

// The default browser's icon, or a null pixmap when there is none.
QPixmap defaultBrowserPixmap();
