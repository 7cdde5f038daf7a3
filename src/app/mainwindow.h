// The single top-level window: it owns the scan engine, starts it shortly after
// the window exists, shows the device list, and routes every engine message to
// the debug output and to the terminal of its "Messages" dock.
#pragma once

#include <QMainWindow>

class QDockWidget;
class ScanServer;
class ScanStateWidget;
class TerminalWidget;
namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int kStartDelayMs = 250;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    ScanServer *scanServer() const { return server; }
    ScanStateWidget *scanStateWidget() const { return stateWidget; }

public Q_SLOTS:
    void about();
    void appendMessage(const QString &msg);

private:
    void createMessageDock();

    Ui::MainWindow *form;
    ScanServer *server;
    ScanStateWidget *stateWidget;
    QDockWidget *messageDock = nullptr;
    TerminalWidget *terminal = nullptr;
};
