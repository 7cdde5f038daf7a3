#include "mainwindow.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char **argv)
{
    auto *app = new QApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("znscan"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quillon"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("quillon.example"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/i16_zentra.png")));

    auto *window = new MainWindow();
    window->show();
    const int code = QApplication::exec();
    delete window;
    delete app;
    return code;
}
