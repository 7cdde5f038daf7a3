// One listed device: its last decoded identity, its running configuration
// transfer and its last transferred configuration. Plain data carrier; a
// QObject so that lists, sets and dialogs can own it and watch its destruction.
#pragma once

#include "scanclientinfo.h"
#include "scanclientregistry.h"

#include <QObject>

class ScanTFTPState;

class ScanClientItem : public QObject
{
    Q_OBJECT

public:
    explicit ScanClientItem(QObject *parent = nullptr);
    ~ScanClientItem() override;

    ScanClientInfo info;
    ScanTFTPState *transfer = nullptr; // owned; set while a transfer runs
    ScanClientRegistry registry;
};
