#include "applicationsetup.h"

#include "translations.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>

namespace zn {

void setUpApplication(QApplication *app)
{
    QCoreApplication::setApplicationName(QStringLiteral("znscan"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quillon"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("quillon.example"));
    QGuiApplication::setDesktopFileName(QStringLiteral("znscan")); // the menu entry's icon and name on Wayland
    installTranslations(app, QLocale());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/i16_zentra.png")));
}

} // namespace zn
