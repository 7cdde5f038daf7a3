// Device Settings asks the scan server to download the device's configuration
// and waits for its two completion signals. Until ScanServer has the
// configuration transfer (loadClientRegistry, clientRegistryLoadComplete,
// clientRegistryLoadError) both calls below do nothing; once it has, they
// call and connect it, and this file can give way to the direct calls.
#pragma once

#include "scanclientitem.h" // queued signals need the whole type

#include <QObject>

template <typename Server>
void requestRegistryLoad(Server *server, ScanClientItem *item)
{
    if constexpr (requires { server->loadClientRegistry(item); })
        server->loadClientRegistry(item);
}

// Queued: the receiver's slots run from the event loop, after the server's
// transfer code has returned.
template <typename Server, typename Receiver>
void connectRegistryLoad([[maybe_unused]] Server *server, [[maybe_unused]] Receiver *receiver,
                         [[maybe_unused]] void (Receiver::*complete)(ScanClientItem *),
                         [[maybe_unused]] void (Receiver::*failed)(ScanClientItem *, const QString &))
{
    if constexpr (requires { &Server::clientRegistryLoadComplete; &Server::clientRegistryLoadError; }) {
        QObject::connect(server, &Server::clientRegistryLoadComplete, receiver, complete, Qt::QueuedConnection);
        QObject::connect(server, &Server::clientRegistryLoadError, receiver, failed, Qt::QueuedConnection);
    }
}
