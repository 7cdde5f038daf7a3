#include "scanclientitem.h"

#include "scantftpstate.h"

ScanClientItem::ScanClientItem(QObject *parent)
    : QObject(parent)
{
}

// The state's timers die with it, so a removed device's transfer just stops.
ScanClientItem::~ScanClientItem()
{
    delete transfer;
}
