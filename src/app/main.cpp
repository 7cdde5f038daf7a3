#include "applicationsetup.h"
#include "commandline.h"
#include "mainwindow.h"

#include <QApplication>

int main(int argc, char **argv)
{
    zn::CommandLine command(QStringLiteral("znscan"), QStringLiteral("[options]"),
                            QStringLiteral("Finds the Zentra controllers on the local network segments and lists them.\n"
                                           "Qt's own options (-platform NAME, -style NAME, ...) are passed to Qt."),
                            zn::CommandLine::Program);
    // --help and --version need no display, so they are answered before the
    // application object connects to one. An option unknown here may be one of
    // Qt's own, which QApplication takes out of the arguments it keeps.
    const QStringList arguments = zn::programArguments(argc, argv);
    if (command.parser().parse(arguments)) {
        if (const auto exit = command.parse(arguments))
            return *exit;
    }

    auto *app = new QApplication(argc, argv);
    if (const auto exit = command.parse(QApplication::arguments())) {
        delete app;
        return *exit;
    }
    zn::setUpApplication(app);

    auto *window = new MainWindow();
    window->show();
    const int code = QApplication::exec();
    delete window;
    delete app;
    return code;
}
