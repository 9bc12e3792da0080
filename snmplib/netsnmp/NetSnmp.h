#pragma once

// Net-SNMP's C API, included in the order its headers need. Only the
// adapter's own sources include this; the vocabulary headers stay free of it.
//
// Net-SNMP names its callback type snmp_callback, as the vocabulary does for
// a different type; inside the adapter Net-SNMP's is netsnmp_callback_fn.
#define snmp_callback netsnmp_callback_fn
#include <net-snmp/library/large_fd_set.h>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#undef snmp_callback
