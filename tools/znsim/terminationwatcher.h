// Turns SIGTERM and SIGINT into a clean return from the event loop (exit 0).
#pragma once

#include <QObject>

class QSocketNotifier;

class TerminationWatcher : public QObject {
    Q_OBJECT

public:
    explicit TerminationWatcher(QObject *parent = nullptr);
    ~TerminationWatcher() override;

    // False when the signal pipe could not be made.
    bool install();

private slots:
    void onSignal();

private:
    static void handleSignal(int signal);
    static int s_pipe[2];
    QSocketNotifier *m_notifier = nullptr;
};
