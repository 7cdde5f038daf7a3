// znscan-shooter OUTPUT.png STEP...
//
// Opens the program's window as znscan does, plays the steps on it and saves
// a picture of the topmost window (a dialog that a step opened, otherwise the
// main window) to OUTPUT.png. scripts/make-screenshots.sh runs it inside the
// private network, beside simulated controllers. Steps:
//
//   wait:MS              let the window run MS milliseconds
//   size:WxH             resize the main window
//   click:NAME           click the button with that object name (m_pb_scan)
//   trigger:TEXT         trigger the window's action with that text (Details)
//   select:ROW           select that row of the topmost window's list
//   dock:NAME:HEIGHT     show the dock with that object name, HEIGHT pixels tall
//
// A step waits 100 ms for its effects; one that opens a modal dialog does not
// block the next, which then acts on that dialog.
#include "applicationsetup.h"
#include "mainwindow.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

constexpr int kStepGapMs = 100;

QWidget *topWindow(MainWindow *window)
{
    QWidget *modal = QApplication::activeModalWidget();
    return modal ? modal : window;
}

QString plainText(QString text)
{
    return text.remove(QLatin1Char('&'));
}

// Plays one step; returns an error text, empty when the step was understood.
QString play(MainWindow *window, const QString &step)
{
    const QString kind = step.section(QLatin1Char(':'), 0, 0);
    const QString argument = step.section(QLatin1Char(':'), 1);
    QWidget *top = topWindow(window);
    if (kind == QLatin1String("size")) {
        const QStringList wh = argument.split(QLatin1Char('x'));
        if (wh.size() != 2 || wh[0].toInt() <= 0 || wh[1].toInt() <= 0)
            return QStringLiteral("size wants WxH");
        window->resize(wh[0].toInt(), wh[1].toInt());
    } else if (kind == QLatin1String("click")) {
        auto *button = top->findChild<QAbstractButton *>(argument);
        if (!button)
            return QStringLiteral("no button ") + argument;
        button->click();
    } else if (kind == QLatin1String("trigger")) {
        for (QAction *action : top->findChildren<QAction *>()) {
            if (plainText(action->text()) == argument) {
                action->trigger();
                return {};
            }
        }
        return QStringLiteral("no action ") + argument;
    } else if (kind == QLatin1String("select")) {
        auto *view = top->findChild<QAbstractItemView *>();
        const QModelIndex row = view ? view->model()->index(argument.toInt(), 0) : QModelIndex();
        if (!row.isValid())
            return QStringLiteral("no row ") + argument;
        view->setCurrentIndex(row);
    } else if (kind == QLatin1String("dock")) {
        auto *dock = window->findChild<QDockWidget *>(argument.section(QLatin1Char(':'), 0, 0));
        if (!dock)
            return QStringLiteral("no dock ") + argument;
        dock->show();
        window->resizeDocks({dock}, {argument.section(QLatin1Char(':'), 1).toInt()}, Qt::Vertical);
    } else {
        return QStringLiteral("unknown step ") + step;
    }
    return {};
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList steps = QApplication::arguments().mid(1);
    if (steps.isEmpty()) {
        std::fputs("usage: znscan-shooter OUTPUT.png STEP...\n", stderr);
        return 2;
    }
    const QString output = steps.takeFirst();
    zn::setUpApplication(&app);
    MainWindow window;
    window.show();

    std::function<void()> next = [&] {
        if (steps.isEmpty()) {
            const bool saved = topWindow(&window)->grab().save(output);
            if (!saved)
                std::fprintf(stderr, "znscan-shooter: cannot write %s\n", qPrintable(output));
            // Ends a dialog's own event loop too, then the program's.
            QApplication::exit(saved ? 0 : 1);
            return;
        }
        const QString step = steps.takeFirst();
        if (step.startsWith(QLatin1String("wait:"))) {
            QTimer::singleShot(step.mid(5).toInt(), &window, next);
            return;
        }
        // Armed before the step, which may open a dialog and wait in its loop.
        QTimer::singleShot(kStepGapMs, &window, next);
        const QString error = play(&window, step);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "znscan-shooter: %s\n", qPrintable(error));
            QApplication::exit(2);
        }
    };
    QTimer::singleShot(0, &window, next);
    return QApplication::exec();
}
