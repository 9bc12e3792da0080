#pragma once

#include "snmpfw/OptionList.h"
#include "snmpfw/SnmpVarDef.h"

// The access point's client-information variables. Each table ends with an
// all-zero record.

// dot11ClientInformationRefresh: writing "get" makes the device rebuild its
// client table. The OID already ends in its instance.
extern const CSnmpVarDef kRefreshDefinitions[];

// The six columns of the client table, in this order.
extern const CSnmpVarDef kClientTableDefinitions[];

// Item positions of the client-table columns in a list built from
// kClientTableDefinitions.
enum {
    CLIENT_COLUMN_MAC = 0,
    CLIENT_COLUMN_BAND = 1,
    CLIENT_COLUMN_AUTHENTICATION = 2,
    CLIENT_COLUMN_RSSI = 3,
    CLIENT_COLUMN_POWERSAVE = 4,
    CLIENT_COLUMN_SSIDINDEX = 5,
    CLIENT_COLUMN_COUNT = 6
};

// dot11Band: the access point's own radio band. The OID already ends in its
// instance.
extern const CSnmpVarDef kApBandDefinitions[];

// Module-wide option lists the definitions point to; built when the module
// is loaded and released when it is unloaded.
extern COptionList RefreshOptions;
extern COptionList ClientBandOptions;
extern COptionList AuthenticationOptions;
extern COptionList PowerSaveOptions;
extern COptionList ApBandOptions;
