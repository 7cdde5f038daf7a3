// Turns the raw identity records of a discovery answer into a ScanClientInfo.
#pragma once

#include "datagram.h"
#include "scanclientinfo.h"

ScanClientInfo clientInfoFromDecoded(const zn::DecodedIdentity &identity);
