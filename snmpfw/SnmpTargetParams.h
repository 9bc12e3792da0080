#pragma once

#include "platform/Afx.h"

// Everything needed to address one agent. The session holds the defaults and
// every request object carries its own copy. Before the session has started,
// all texts are empty and all numbers 0.
struct CSnmpTargetParams {
    int timeout = 0;  // hundredths of a second, handed to the library unchanged
    int retries = 0;

    // Address group.
    CString address;  // host name or dotted IPv4 address
    unsigned short port = 0;

    // Context group (SNMPv3, put into every PDU).
    CString contextEngineId;
    CString contextName;

    // Security group, in the library's numbering.
    int version = 0;  // 0 SNMPv1, 1 SNMPv2c, 3 SNMPv3
    CString readCommunity;
    CString writeCommunity;
    int securityModel = 0;
    int securityLevel = 0;
    CString securityName;
    CString authPassword;
    CString privPassword;
    int authProtocol = 0;
    int privProtocol = 0;
};
