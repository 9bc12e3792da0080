#pragma once

// Error codes of the framework. 0 is success, every failure is negative and
// the hundreds tell where it came from:
//   -101..-118  error status reported by the agent in a response PDU
//   -201..-217  SNMPv3 message processing
//   -301..-314  SNMPv3 user-based security
//   -401..-423  session and request results of the SNMP library
//   -501..-530  the framework's own errors (below)

enum {
    QV_OK = 0,

    QV_ERR_READ_VARFILE = -501,
    QV_ERR_VARFILE_FORMAT = -502,
    QV_ERR_VARFILE_ITEMTYPE = -503,
    QV_ERR_VARFILE_SYNTAX = -504,
    QV_ERR_VARFILE_ACCESS = -505,
    QV_ERR_CREATE_SESSION = -506,
    QV_ERR_LOAD_BOOTCOUNTER = -507,
    QV_ERR_SAVE_BOOTCOUNTER = -508,
    QV_ERR_INVALID_ADDRESS = -509,
    QV_ERR_GETNEXT_SINGLE_VALUE = -510,
    QV_ERR_BAD_SYNTAX = -511,
    QV_ERR_EXPR_NULL_VALUE = -512,
    QV_ERR_EXPR_BAD_SYNTAX = -513,
    QV_ERR_BAD_KEY_COUNT = -514,
    QV_ERR_BAD_ITEM_TYPE = -515,
    QV_ERR_ASSOC_ITEM_TYPE = -516,
    QV_ERR_ASSOC_DATA_SYNTAX = -517,
    QV_ERR_ASSOC_DATA_VALUE = -518,
    QV_ERR_ASSOC_INDEX_RANGE = -519,
    QV_ERR_ASSOC_NO_OPTION_LIST = -520,
    QV_ERR_ASSOC_CONTROL_TYPE = -521,
    QV_ERR_ASSOC_CONTROL_COUNT = -522,
    QV_ERR_NO_START_TIME = -523,
    QV_ERR_CHART_VALUE_COUNT = -524,
    QV_ERR_LOGDB_NOT_CONNECTED = -525,
    QV_ERR_LOGDB_FIELD = -526,
    QV_ERR_LOG_CHART_SYNTAX = -527,
    QV_ERR_UNKNOWN = -528,
    QV_ERR_TIMER_INIT = -529,
    // A table walk given up at its bound of rows: the agent's table does not end.
    QV_ERR_TOO_MANY_ROWS = -530,

    // The agent's noSuchName, translated: in SNMPv1 also the end of its MIB.
    QV_CODE_NO_SUCH_NAME = -102,

    // Base values of the translated ranges: code = base - n for the n-th
    // entry (1-based) of the group.
    QV_CODE_BASE_PDU = -100,
    QV_CODE_BASE_SNMPV3 = -200,
    QV_CODE_BASE_USM = -300,
    QV_CODE_BASE_SNMPCLASS = -400,
    QV_CODE_BASE_FRAMEWORK = -500
};
