#pragma once

// Everything of the SNMP library's vocabulary.
#include "snmplib/Address.h"
#include "snmplib/BootCounter.h"
#include "snmplib/Mp.h"
#include "snmplib/OctetStr.h"
#include "snmplib/Oid.h"
#include "snmplib/Pdu.h"
#include "snmplib/SmiSyntax.h"
#include "snmplib/SmiValues.h"
#include "snmplib/Snmp.h"
#include "snmplib/SnmpErrors.h"
#include "snmplib/Target.h"
#include "snmplib/Usm.h"
#include "snmplib/Vb.h"
