#include "apsim/ApSimMib.h"

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/agent/net-snmp-agent-includes.h>

namespace {

// Under the enterprise arc of the access point's MIB.
const oid kRefresh[] = {1, 3, 6, 1, 4, 1, 32473, 10, 37, 37, 2, 1, 3, 3, 4, 1, 1, 1, 1};
const oid kBand[] = {1, 3, 6, 1, 4, 1, 32473, 10, 37, 37, 2, 1, 3, 3, 1, 1, 1, 34, 1};
const oid kClientTable[] = {1, 3, 6, 1, 4, 1, 32473, 10, 37, 37, 2, 1, 3, 3, 4, 2};
const oid kAfterTable[] = {1, 3, 6, 1, 4, 1, 32473, 10, 37, 37, 2, 1, 3, 3, 4, 3, 0};

enum Column {
    COLUMN_MAC = 2,
    COLUMN_BAND,
    COLUMN_AUTHENTICATION,
    COLUMN_RSSI,
    COLUMN_POWERSAVE,
    COLUMN_SSID,
};

CApSimMib* Owner(netsnmp_mib_handler* handler)
{
    return static_cast<CApSimMib*>(handler->myvoid);
}

// The refresh object: reads as 0 ("nothing"); a write of 1 rebuilds the
// client table, unless the device is told to refuse the write.
int OnRefresh(netsnmp_mib_handler* handler, netsnmp_handler_registration*, netsnmp_agent_request_info* reqinfo,
              netsnmp_request_info* requests)
{
    CApSimMib* mib = Owner(handler);
    for (netsnmp_request_info* request = requests; request; request = request->next) {
        netsnmp_variable_list* vb = request->requestvb;
        switch (reqinfo->mode) {
        case MODE_GET:
            snmp_set_var_typed_integer(vb, ASN_INTEGER, 0);
            break;
        case MODE_SET_RESERVE1:
            if (mib->RefreshError() != 0)
                netsnmp_set_request_error(reqinfo, request, mib->RefreshError());
            else if (vb->type != ASN_INTEGER)
                netsnmp_set_request_error(reqinfo, request, SNMP_ERR_WRONGTYPE);
            break;
        case MODE_SET_COMMIT:
            if (vb->val.integer && *vb->val.integer == 1)
                mib->Rebuild();
            break;
        default:
            break;
        }
    }
    return SNMP_ERR_NOERROR;
}

netsnmp_handler_registration* Registration(const char* name, Netsnmp_Node_Handler* handler, const oid* id,
                                           size_t length, int modes, CApSimMib* owner)
{
    netsnmp_handler_registration* registration = netsnmp_create_handler_registration(name, handler, id, length, modes);
    if (registration && handler)
        registration->handler->myvoid = owner;
    return registration;
}

}  // namespace

CApSimMib::CApSimMib(std::vector<CApClient> clients, CApSimBehaviour simBehaviour)
    : source(std::move(clients)), behaviour(simBehaviour), band(simBehaviour.band)
{
}

bool CApSimMib::IsTableRequest(const snmp_pdu& pdu)
{
    const bool read = pdu.command == SNMP_MSG_GET || pdu.command == SNMP_MSG_GETNEXT || pdu.command == SNMP_MSG_GETBULK;
    const netsnmp_variable_list* first = pdu.variables;
    return read && first != nullptr &&
           netsnmp_oid_is_subtree(kClientTable, OID_LENGTH(kClientTable), first->name, first->name_length) == 0;
}

std::vector<CApClient> CApSimMib::Rows() const
{
    std::vector<CApClient> rows = source;
    if (behaviour.zeroMacRow > 0 && behaviour.zeroMacRow <= static_cast<int>(rows.size()))
        rows[behaviour.zeroMacRow - 1].mac.assign(6, '\0');
    if (behaviour.repeatRow > 0 && behaviour.repeatRow <= static_cast<int>(rows.size()))
        rows.insert(rows.begin() + behaviour.repeatRow, rows[behaviour.repeatRow - 1]);
    return rows;
}

bool CApSimMib::IsHole(long index, int column) const
{
    for (const auto& hole : behaviour.holes)
        if (hole.first == index && hole.second == column)
            return true;
    return false;
}

// Sets a column of row index, or the cell given in its place. A cell's type
// is fixed once set, so the replacement goes first.
void CApSimMib::SetColumn(netsnmp_table_row* row, long index, int column, int type, const void* value,
                          size_t length) const
{
    if (IsHole(index, column))
        return;
    for (const CApSimCell& cell : behaviour.cells)
        if (cell.row == index && cell.column == column) {
            netsnmp_set_row_column(row, static_cast<unsigned int>(column), cell.type, cell.value.data(),
                                   cell.value.size());
            return;
        }
    netsnmp_set_row_column(row, static_cast<unsigned int>(column), type, value, length);
}

void CApSimMib::Rebuild()
{
    while (netsnmp_table_row* row = netsnmp_table_data_set_get_first_row(table))
        netsnmp_table_dataset_remove_and_delete_row(table, row);
    long index = 0;
    for (const CApClient& client : Rows()) {
        netsnmp_table_row* row = netsnmp_create_table_data_row();
        ++index;
        netsnmp_table_row_add_index(row, ASN_INTEGER, &index, sizeof index);
        SetColumn(row, index, COLUMN_MAC, ASN_OCTET_STR, client.mac.data(), client.mac.size());
        const long numbers[] = {client.band, client.authentication, client.rssi, client.powerSave};
        for (int i = 0; i < 4; ++i)
            SetColumn(row, index, COLUMN_BAND + i, ASN_INTEGER, &numbers[i], sizeof numbers[i]);
        SetColumn(row, index, COLUMN_SSID, ASN_OCTET_STR, client.ssidIndex.data(), client.ssidIndex.size());
        netsnmp_table_dataset_add_row(table, row);
    }
}

bool CApSimMib::Register()
{
    netsnmp_handler_registration* refresh =
        Registration("refresh", OnRefresh, kRefresh, OID_LENGTH(kRefresh), HANDLER_CAN_RWRITE, this);
    if (!refresh || netsnmp_register_instance(refresh) != MIB_REGISTERED_OK)
        return false;
    if (netsnmp_register_long_instance("band", kBand, OID_LENGTH(kBand), &band, nullptr) != MIB_REGISTERED_OK)
        return false;

    table = netsnmp_create_table_data_set("clients");
    netsnmp_table_dataset_add_index(table, ASN_INTEGER);
    for (int column = COLUMN_MAC; column <= COLUMN_SSID; ++column) {
        const int type = column == COLUMN_MAC || column == COLUMN_SSID ? ASN_OCTET_STR : ASN_INTEGER;
        netsnmp_table_set_add_default_row(table, static_cast<unsigned int>(column), type, 0, nullptr, 0);
    }
    Rebuild();
    netsnmp_handler_registration* clients =
        Registration("clients", nullptr, kClientTable, OID_LENGTH(kClientTable), HANDLER_CAN_RONLY, this);
    if (!clients || netsnmp_register_table_data_set(clients, table, nullptr) != MIB_REGISTERED_OK)
        return false;

    if (behaviour.endMibWithTable)
        return true;
    return netsnmp_register_read_only_long_instance("after", kAfterTable, OID_LENGTH(kAfterTable), &after, nullptr) ==
           MIB_REGISTERED_OK;
}
