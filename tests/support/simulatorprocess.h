// Runs the controller simulator in one device segment of the private network
// and collects what it logs, for end-to-end tests.
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QProcess>
#include <QStringList>

class SimulatorProcess
{
public:
    SimulatorProcess() = default;
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    // Starts `znsim ARGS` in segment `segment` and waits for its "ready" line.
    bool start(int segment, const QStringList &args);
    void stop();

    // Every line logged so far (reads what is pending without waiting).
    QStringList lines();

    // The identities the simulator plays for ARGS, as `--print-devices` gives them.
    static QJsonArray devices(const QStringList &args);

private:
    QProcess m_process;
    QByteArray m_output;
};
