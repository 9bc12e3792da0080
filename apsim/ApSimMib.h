#pragma once

#include "apsim/ApSimClients.h"

#include <string>
#include <utility>
#include <vector>

struct netsnmp_table_data_set_s;
struct netsnmp_table_row_s;
struct snmp_pdu;

// One cell of the client table with a value of any type, as it goes on the
// wire: type is the ASN.1 type octet, value the Net-SNMP value's bytes.
struct CApSimCell {
    int row = 0;     // from 1
    int column = 0;  // from 2 (MAC) to 7 (SSID index)
    unsigned char type = 0;
    std::string value;
};

// How the simulated access point's objects behave, including the ways a
// device can misbehave.
struct CApSimBehaviour {
    int band = 0;
    int refreshError = 0;                    // error status the refresh write gets; 0 accepts it
    int zeroMacRow = 0;                      // row (from 1) shown with an all-zero MAC; 0 none
    int repeatRow = 0;                       // row (from 1) that the table holds twice; 0 none
    std::vector<std::pair<int, int>> holes;  // cells (row from 1, column 2 to 7) the table does not hold
    bool endMibWithTable = false;
    std::vector<CApSimCell> cells;  // take the place of what the clients hold
};

// The access point's objects, registered with Net-SNMP's agent: the client
// information refresh (writing 1 rebuilds the client table from its
// source), the band, the six-column client table indexed by row number and,
// unless the MIB ends with the table, one object after it.
class CApSimMib {
public:
    CApSimMib(std::vector<CApClient> source, CApSimBehaviour behaviour);
    CApSimMib(const CApSimMib&) = delete;
    CApSimMib& operator=(const CApSimMib&) = delete;

    bool Register();
    void Rebuild();
    int RefreshError() const { return behaviour.refreshError; }

    // True for a read request whose first variable lies in the client table.
    static bool IsTableRequest(const snmp_pdu& pdu);

private:
    std::vector<CApClient> Rows() const;
    void SetColumn(netsnmp_table_row_s* row, long index, int column, int type, const void* value, size_t length) const;
    bool IsHole(long index, int column) const;

    std::vector<CApClient> source;
    CApSimBehaviour behaviour;
    netsnmp_table_data_set_s* table = nullptr;
    long band = 0;
    long after = 0;
};
