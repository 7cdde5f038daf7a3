#include "scanclientitem.h"

ScanClientItem::ScanClientItem(QObject *parent)
    : QObject(parent)
{
}

ScanClientItem::~ScanClientItem() = default;
