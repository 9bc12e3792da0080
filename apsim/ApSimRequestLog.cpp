#include "apsim/ApSimRequestLog.h"

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <cstdio>
#include <string>

namespace {

const char* CommandName(int command)
{
    switch (command) {
    case SNMP_MSG_GET:
        return "get";
    case SNMP_MSG_GETNEXT:
        return "get-next";
    case SNMP_MSG_GETBULK:
        return "get-bulk";
    case SNMP_MSG_SET:
        return "set";
    default:
        return "other";
    }
}

}  // namespace

void LogRequest(const netsnmp_pdu& pdu, bool admitted)
{
    std::string line = admitted ? "request " : "dropped ";
    line += CommandName(pdu.command);
    line += ' ';
    const netsnmp_variable_list* first = pdu.variables;
    for (size_t i = 0; first != nullptr && i < first->name_length; ++i)
        line += (i == 0 ? "" : ".") + std::to_string(first->name[i]);
    printf("%s\n", line.c_str());
    fflush(stdout);
}
