// The engine behind every network action: binds the controller port on all
// interfaces, broadcasts discovery, decodes answers into the device model and
// sends commands. Everything it does is reported as a message line.
#pragma once

#include <QHostAddress>
#include <QObject>

class QTimer;
class ScanClientInfo;
class ScanClientItem;
class ScanStateModel;
class UDPSocket;
namespace zn {
struct DecodedIdentity;
}

class ScanServer : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPort = 65533;
    static constexpr int kScanWindowMs = 3000;
    static constexpr int kDiscoveryRepeats = 3;
    static constexpr int kDiscoveryPauseMs = 50;

    explicit ScanServer(QObject *parent = nullptr);
    ~ScanServer() override;

    ScanStateModel *model() const { return m_model; }
    bool isStarted() const { return m_socket != nullptr; }
    bool isScanning() const;

public Q_SLOTS:
    void start();
    void stop();
    void scanClients();
    void buzzClient(ScanClientItem *cli);

Q_SIGNALS:
    void message(const QString &str);
    void warning(const QString &str);
    void error(const QString &str);

private Q_SLOTS:
    void onReceived(const QHostAddress &peer, int peer_port, const void *data, size_t len);
    void sendDiscoveryRequest();

private:
    void send(const void *data, size_t len);
    void sendCommand(ScanClientItem *cli, int opcode);
    void onDiscoveryAnswer(const ScanClientInfo &info);
    void discovered(ScanClientItem *item);
    void report(const QString &text);
    void reportWarning(const QString &text);
    void reportError(const QString &text);

    UDPSocket *m_socket = nullptr;
    QTimer *m_scanTimer = nullptr;
    ScanStateModel *m_model = nullptr;
    // The discovery requests still due; the timer runs for 50 ms after each.
    QTimer *m_discoveryTimer = nullptr;
    int m_discoveryRequestsDue = 0;
};
