#include "mainwindow.h"

#include "scanserver.h"
#include "scanstatewidget.h"
#include "terminalwidget.h"
#include "ui_mainwindow.h"

#include <QDockWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , form(new Ui::MainWindow)
{
    form->setupUi(this);
    server = new ScanServer(this);
    stateWidget = new ScanStateWidget(server, this);
    setCentralWidget(stateWidget);
    createMessageDock();
    form->menubar->insertMenu(form->m_mnu_help->menuAction(), stateWidget->menu());
    connect(form->m_act_about, &QAction::triggered, this, &MainWindow::about);
    connect(server, &ScanServer::message, this, &MainWindow::appendMessage);
    QTimer::singleShot(kStartDelayMs, server, &ScanServer::start);
}

MainWindow::~MainWindow()
{
    delete form;
}

// The dock opens closed; its terminal collects the messages all the same.
void MainWindow::createMessageDock()
{
    messageDock = new QDockWidget(this);
    messageDock->setObjectName(QStringLiteral("MessageDock"));
    messageDock->setWindowTitle(tr("Messages"));
    messageDock->setWindowIcon(QIcon(QStringLiteral(":/icons/i16_log.png")));
    terminal = new TerminalWidget(messageDock);
    terminal->setBlinkingCursor(false);
    terminal->setUtf8Mode(false);
    terminal->setEightBitMode(false);
    terminal->setJumpScroll(true);
    terminal->setJumpToBottomOnOutput(false);
    terminal->setJumpToBottomOnKeyPress(true);
    terminal->reset(160, 4);
    terminal->input("\x1b[?25l"); // no cursor in a window nobody types into
    messageDock->setWidget(terminal);
    addDockWidget(Qt::BottomDockWidgetArea, messageDock);
    stateWidget->menu()->addAction(messageDock->toggleViewAction());
    messageDock->hide();
}

void MainWindow::appendMessage(const QString &msg)
{
    qDebug("%s", msg.toLocal8Bit().constData());
    if (!terminal)
        return;
    terminal->input(msg);
    terminal->input("\r\n");
}

void MainWindow::about()
{
    QMessageBox::about(this, windowTitle(),
                       tr("<html><body>"
                          "<p><b>Zentra Network Scan V2.35.1#8106</b></p>"
                          "<p>A deployment tool for the <a href=\"https://zentra.example/controllers\">Zentra "
                          "controller series</a>: it finds the controllers on the local network segments, "
                          "identifies, resets and configures them.</p>"
                          "<p>Copyright &copy; Quillon. All rights reserved.</p>"
                          "<p style=\"font-size:8pt\">Icons: Silk icon set by Mark James "
                          "(famfamfam.com), licensed under Creative Commons Attribution 3.0.</p>"
                          "</body></html>"));
}
