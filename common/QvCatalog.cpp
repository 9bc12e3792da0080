#include "common/QvCatalog.h"

#include "common/QvErrors.h"

namespace {

// One array, read through the group starts below; the order is fixed.
const char* const kCatalog[] = {
    // Error status reported by the agent, 1 first
    "(SNMP) Response PDU Too Big!",
    "(SNMP) Variable does not exist!",
    "(SNMP) Cannot modify variable: Bad Value!",
    "(SNMP) Cannot modify object, Read Only!",
    "(SNMP) Cannot perform operation, General Error!",
    "(SNMP) Cannot access variable, No Access!",
    "(SNMP) Cannot create/modify variable, Wrong Type!",
    "(SNMP) Cannot create/set variable, Wrong Length!",
    "(SNMP) Cannot create/set variable, Wrong Encoding!",
    "(SNMP) Cannot create/set variable, Wrong Value!",
    "(SNMP) Cannot create variable, Creation Not Allowed!",
    "(SNMP) Cannot create/set variable, Inconsistent Value!",
    "(SNMP) Cannot create/set variable, Resource Unavailable!",
    "(SNMP) Cannot create/set variable, Commit Failed!",
    "(SNMP) Cannot create/set variable, Undo Failed!",
    "(SNMP) Cannot perform operation, Authorization Error!",
    "(SNMP) Cannot create/set variable, Not Writable!",
    "(SNMP) Cannot create variable, Inconsistent Name!",
    // SNMPv3 message processing, -1402 first
    "(SNMPv3) Unsupported Security Model!",
    "(SNMPv3) Message not in Time Window!",
    "(SNMPv3) Received same Message twice!",
    "(SNMPv3) Invalid Message!",
    "(SNMPv3) Invalid EngineID!",
    "(SNMPv3) v3MP not initialized!",
    "(SNMPv3) Parse Error!",
    "(SNMPv3) Received Message with unknown MsgID!",
    "(SNMPv3) Message does not match known message!",
    "(SNMPv3) Community format error!",
    "(SNMPv3) Unknown UserName!",
    "(SNMPv3) Build error!",
    "(SNMPv3) USM: error!",
    "(SNMPv3) Unknown pdu handlers!",
    "(SNMPv3) Unavailable Context!",
    "(SNMPv3) Unknown Context!",
    "(SNMPv3) Report sent!",
    // User-based security, 1401 first
    "(SNMPv3USM) error!",
    "(SNMPv3USM) Configfile write error!",
    "(SNMPv3USM) Unsupported SecurityLevel!",
    "(SNMPv3USM) Unknown SecurityName!",
    "(SNMPv3USM) Encryption error!",
    "(SNMPv3USM) Decryption error!",
    "(SNMPv3USM) Authentication error!",
    "(SNMPv3USM) Authentication failure!",
    "(SNMPv3USM) Parse error!",
    "(SNMPv3USM) Unknown EngineID!",
    "(SNMPv3USM) Message not in TimeWindow!",
    "(SNMPv3USM) Unsupported AuthProtocol!",
    "(SNMPv3USM) Unsupported PrivProtocol!",
    "(SNMPv3USM) Address error!",
    // Session and request results, -1 first
    "(SNMPClass) Operation failed!",
    "(SNMPClass) Resource unavailable!",
    "(SNMPClass) Internal error!",
    "(SNMPClass) Unsupported function!",
    "(SNMPClass) SNMP request timed out!",
    "(SNMPClass) Received SNMP Response!",
    "(SNMPClass) Received SNMP Notification (trap or inform)!",
    "(SNMPClass) Closing session with outstanding requests!",
    "(SNMPClass)Unknown error code!",
    "(SNMPClass) Class not valid!",
    "(SNMPClass) Invalid Pdu!",
    "(SNMPClass) Invalid Target!",
    "(SNMPClass) Invalid (null) Callback Function!",
    "(SNMPClass) Invalid Request Id!",
    "(SNMPClass) Invalid Notification Id!",
    "(SNMPClass) SNMP Operation not supported on specified Target!",
    "(SNMPClass) Invalid Object Identifier!",
    "(SNMPClass) Invalid Address!",
    "(SNMPClass) Agent indicates error in SNMP request!",
    "(SNMP Class) Transport is not supported!",
    "(SNMPClass) Transport is in use!",
    "(SNMPClass) Transport operation failed!",
    "(SNMPClass) Blocked Mode Shutdown!",
    // The framework's own texts; index n belongs to code -(500 + n)
    "(VaZARO++) Ok!",
    "(VaZARO++) Fail to read SNMP variables from file([FILENAME])!",
    "(VaZARO++) Bad format at line([LINENO])in SNMP variables file([FILENAME])!",
    "(VaZARO++) Bad item type at line([LINENO])in SNMP variables file([FILENAME])!",
    "(VaZARO++) Bad syntax at line([LINENO])in SNMP variables file([FILENAME])!",
    "(VaZARO++) Bad access type at line([LINENO])in SNMP variables file([FILENAME])!",
    "(VaZARO++) Cannot create the global VaZARO++ session!",
    "(VaZARO++) Error when loading SNMP engine boots counter!",
    "(VaZARO++) Error when saving SNMP engine boots counter!",
    "(VaZARO++) Invalid IP Address or DNS name!",
    "(VaZARO++) Can't send get-next command for a SNMP variable list with single value!",
    "(VaZARO++) Bad SNMP syntax!",
    "(VaZARO++) Null value in the expression!",
    "(VaZARO++) Bad SNMP syntax in the expression!",
    "(VaZARO++) Bad key count of SNMP variable list!",
    "(VaZARO++) Bad item type of SNMP variable list!",
    "(VaZARO++) Bad item type of associated SNMP variable list!",
    "(VaZARO++) Bad syntax of the associated SNMP variable's (partial) data!",
    "(VaZARO++) Bad value of the associated SNMP variable's (partial) data!",
    "(VaZARO++) Out of range for the bit(byte) index of the associated SNMP variable's (partial) data!",
    "(VaZARO++) No reference option list for a SNMP variable's (partial) data associating with a optional visual "
    "control!",
    "(VaZARO++) Bad type of the associated visual control!",
    "(VaZARO++) Count of the associated visual controls is not enough!",
    "(VaZARO++) No system start time for the time whose data source is the SNMP variable's (partial) data with syntax "
    "timeticks!",
    "(VaZARO++) Count of the value items for the chart's history data is not enough!",
    "(VaZARO++) Log database is not connected!",
    "(VaZARO++) Log database field not found!",
    "(VaZARO++) Bad syntax for the history chart of log!",
    "(VaZARO++) Unknown error code!",
    "(VaZARO++) Init the timer error!",
    "(VaZARO++) Too many rows in the SNMP table!",
    // Log-line templates
    "Get: [ERROR] Request:[VARLIST]. Receive at [TIME].",
    "Set: [ERROR] Request:[VARLIST]. Receive at [TIME].",
};

const char* const kCommonTexts[] = {
    "(DiViroze) Ok!",
    "(DiViroze) Bad logic operand!",
    "(DiViroze) Bad format specifier of edit's constraint!",
    "(DiViroze) Empty value is not allowed!",
    "(DiViroze) Please enter a string whose length is less than [MAXLEN]!",
    "(DiViroze) Please enter a string whose length is [LEN]!",
    "(DiViroze) Please enter a hex string whose length is less than [MAXLEN]!",
    "(DiViroze) Please enter a hex string whose length is [LEN]!",
    " Please enter a number between [MIN] and [MAX]!",
    "(DiViroze) Please enter a delimited number string with delimiter '[DELIMITER]'.\nHere,the count of the number is "
    "less than [MAXCOUNT]!",
    "(DiViroze) Please enter a delimited number string with delimiter '[DELIMITER]'.\nHere,the count of the number is "
    "equal to [COUNT]!",
    "(DiViroze) Please enter a delimited number string with delimiter '[DELIMITER]'.\nHere,each number is between "
    "[MIN] and [MAX]!",
    "(DiViroze) Out of range at index of array or list!",
    "(DiViroze) Destination buffer is undersize!",
    "(DiViroze) The source to dncrypt is not encrypted!",
    "(DiViroze) Fail to read data from file([FILENAME])!",
    "(DiViroze) Fail to write data to file([FILENAME])!",
    "(DiViroze) Fail to write value in ini file([FILENAME])!",
    "(DiViroze) Fail to read option data from file([FILENAME])!",
};

const int kCatalogSize = sizeof(kCatalog) / sizeof(kCatalog[0]);
const int kCommonSize = sizeof(kCommonTexts) / sizeof(kCommonTexts[0]);

// First index of each group in kCatalog, plus the end of the array.
const int s_groupStart[QV_GROUP_COUNT + 1] = {0, 18, 35, 49, 72, 103, kCatalogSize};

static_assert(kCatalogSize == 105, "the group starts assume 105 texts");
static_assert(kCommonSize == 19, "the common-services group has 19 texts");

// Index into a translated group for code = base - (index + 1), or -1.
int TranslatedIndex(int code, int base, int group)
{
    const int index = base - code - 1;
    return (index >= 0 && index < QvGroupSize(group)) ? index : -1;
}

}  // namespace

int QvGroupSize(int group)
{
    if (group < 0 || group >= QV_GROUP_COUNT)
        return 0;
    return s_groupStart[group + 1] - s_groupStart[group];
}

const char* QvGroupText(int group, int index)
{
    if (index < 0 || index >= QvGroupSize(group))
        return nullptr;
    return kCatalog[s_groupStart[group] + index];
}

const char* QvErrorText(int code)
{
    struct Range {
        int base;
        int group;
    };
    static const Range kRanges[] = {
        {QV_CODE_BASE_PDU, QV_GROUP_PDU},
        {QV_CODE_BASE_SNMPV3, QV_GROUP_SNMPV3},
        {QV_CODE_BASE_USM, QV_GROUP_USM},
        {QV_CODE_BASE_SNMPCLASS, QV_GROUP_SNMPCLASS},
    };
    if (code == QV_OK)
        return QvGroupText(QV_GROUP_FRAMEWORK, 0);
    for (const Range& range : kRanges) {
        const int index = TranslatedIndex(code, range.base, range.group);
        if (index >= 0)
            return QvGroupText(range.group, index);
    }
    const int frameworkIndex = QV_CODE_BASE_FRAMEWORK - code;
    if (frameworkIndex >= 1 && frameworkIndex < QvGroupSize(QV_GROUP_FRAMEWORK))
        return QvGroupText(QV_GROUP_FRAMEWORK, frameworkIndex);
    return QvGroupText(QV_GROUP_FRAMEWORK, QV_CODE_BASE_FRAMEWORK - QV_ERR_UNKNOWN);
}

int QvCommonTextCount()
{
    return kCommonSize;
}

const char* QvCommonText(int index)
{
    if (index < 0 || index >= kCommonSize)
        return nullptr;
    return kCommonTexts[index];
}
