#include "mainwindow.h"

#include "scanserver.h"
#include "scanstatewidget.h"
#include "ui_mainwindow.h"

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
    form->menubar->insertMenu(form->m_mnu_help->menuAction(), stateWidget->menu());
    connect(form->m_act_about, &QAction::triggered, this, &MainWindow::about);
    connect(server, &ScanServer::message, this, &MainWindow::appendMessage);
    QTimer::singleShot(kStartDelayMs, server, &ScanServer::start);
}

MainWindow::~MainWindow()
{
    delete form;
}

void MainWindow::appendMessage(const QString &msg)
{
    qDebug("%s", msg.toLocal8Bit().constData());
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
