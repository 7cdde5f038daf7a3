// The CSV reader of tag map files: one record per line, up to six fields
// (key or key:value, name, description, help, icon, flags). Lines that break
// the rules are counted, never fatal.
#pragma once

#include "tagmapentry.h"

#include <QList>

class QIODevice;

struct TagMapFileContents
{
    TagMapEntries entries;
    QList<int> errorLines; // 1-based numbers of the lines that failed
};

// Reads the device to its end. Lines are taken in pieces of at most 16383
// bytes, each piece counting as a line; a UTF-8 byte order mark at the very
// start is skipped.
TagMapFileContents readTagMap(QIODevice *device);
