// The single top-level window: it owns the scan engine, starts it shortly after
// the window exists, and routes every engine message to the debug output.
#pragma once

#include <QMainWindow>

class QDockWidget;
class ScanServer;
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

public Q_SLOTS:
    void about();
    void appendMessage(const QString &msg);

private:
    Ui::MainWindow *form;
    ScanServer *server;
};
