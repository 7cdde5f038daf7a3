// The engine behind every network action: binds the controller port on all
// interfaces, broadcasts discovery, decodes answers into the device model,
// sends commands and runs the configuration transfers (scanservertransfer.cpp).
// Everything it does is reported as a message line.
#pragma once

#include "mac.h"
#include "scanclientregistry.h"
#include "scanclientset.h"

#include <QHostAddress>
#include <QObject>

class QTimer;
class ScanClientInfo;
class ScanClientItem;
class ScanStateModel;
class ScanTFTPState;
struct ResetRequest;
class UDPSocket;
namespace zn {
struct DecodedBlock;
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
    void resetClient(ScanClientItem *cli);

    // Configuration transfer: download into cli->registry, upload `registry`,
    // or end the transfer of a device without telling it.
    void loadClientRegistry(ScanClientItem *cli);
    void saveClientRegistry(ScanClientItem *cli, ScanClientRegistry registry);
    void abortClientRegistryTransfer(Mac mac);

Q_SIGNALS:
    void message(const QString &str);
    void warning(const QString &str);
    void error(const QString &str);

    void clientRegistryLoadComplete(ScanClientItem *cli);
    void clientRegistryLoadError(ScanClientItem *cli, const QString &message);
    void clientRegistrySaveComplete(ScanClientItem *cli);
    void clientRegistrySaveError(ScanClientItem *cli, const QString &message);
    void clientRegistryProgress(ScanClientItem *cli, int percent); // -1 .. 99

public:
    // Every new MAC that answers gets a row; a sender forging endless MACs
    // would otherwise fill memory. Far more than any segment holds.
    static constexpr int MaxListedDevices = 16384;

private Q_SLOTS:
    void onReceived(const QHostAddress &peer, int peer_port, const void *data, size_t len);
    void sendDiscoveryRequest();
    void resendDiscoveryBlock(ScanClientItem *cli);
    void failDiscovery(ScanClientItem *cli);

private:
    void send(const void *data, size_t len);
    void sendCommand(ScanClientItem *cli, int opcode);
    void reset(ResetRequest &request);
    void onDiscoveryAnswer(const ScanClientInfo &info);
    void discovered(ScanClientItem *item);
    void report(const QString &text);
    void reportWarning(const QString &text);
    void reportError(const QString &text);

    // Transfer (scanservertransfer.cpp).
    ScanTFTPState *createState(ScanClientItem *cli, int mode);
    void sendTransferPacket(ScanTFTPState *state, size_t length);
    void updateProgress(ScanTFTPState *state);
    bool finishTransfer(ScanClientItem *cli, const QString &text);
    void onDataBlock(const zn::DecodedBlock &block);
    void onBlockRequest(const zn::DecodedBlock &block);
    void onTransferRefused(const zn::DecodedBlock &block, const QString &format);

    UDPSocket *m_socket = nullptr;
    QTimer *m_scanTimer = nullptr;
    ScanStateModel *m_model = nullptr;
    // The discovery requests still due; the timer runs for 50 ms after each.
    QTimer *m_discoveryTimer = nullptr;
    int m_discoveryRequestsDue = 0;
    bool m_listFullReported = false; // once per scan, not once per forged answer
    ScanClientSet m_transfers; // the devices with a running transfer
};
