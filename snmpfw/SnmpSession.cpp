#include "snmpfw/SnmpSession.h"

#include "common/QvErrors.h"
#include "common/QvException.h"
#include "common/TextToValue.h"
#include "platform/FileLock.h"
#include "snmpfw/EventProcessorWnd.h"
#include "snmplib/SnmpLib.h"

#include <string>

namespace {

// Process-wide state: the Snmp object exists from Start to Stop; the
// defaults and the window object from load to unload (the window is made
// again by a later Start).
Snmp* s_pSnmp = nullptr;
CSnmpTargetParams s_defaultParams;
CEventProcessorWnd s_eventProcessor;

// What every request object starts from. A caller sets the agent, the
// communities or the user it needs; a request nobody set up goes to the local
// agent in SNMPv1 with communities no agent is likely to accept, rather than
// with "public", and in SNMPv3 without a user's protocols.
CSnmpTargetParams MakeDefaults()
{
    CSnmpTargetParams params;
    params.timeout = 100;  // hundredths of a second per attempt
    // retries is left alone: every request object sets its own.
    params.address = "127.0.0.1";
    params.port = 161;
    params.version = 0;  // SNMPv1
    params.readCommunity = "garnet";
    params.writeCommunity = "harbour";
    params.securityModel = SNMP_SECURITY_MODEL_V1;
    params.securityLevel = SNMP_SECURITY_LEVEL_NOAUTH_NOPRIV;
    params.authProtocol = SNMP_AUTHPROTOCOL_NONE;
    params.privProtocol = SNMP_PRIVPROTOCOL_NONE;
    return params;
}

void CreateSnmp()
{
    int status = SNMP_CLASS_SUCCESS;
    s_pSnmp = new Snmp(status, 0);
    if (status != SNMP_CLASS_SUCCESS)
        ThrowQVException(QV_ERR_CREATE_SESSION);
}

// RFC 3414 section 2.2.2: snmpEngineBoots stops at its maximum, 2^31 - 1.
const unsigned int kMaxEngineBoots = 2147483647;

// Read, counted and saved under a lock: processes that start at once would
// otherwise read the same count and save one boot for all of them, and boots
// that do not grow defeat SNMPv3's replay protection (RFC 3414, 2.2).
unsigned int AdvanceBootCounter(const CString& file, const OctetStr& engineId)
{
    const CFileLock lock(std::string(static_cast<const char*>(file)) + ".lock");
    const OctetStr path = OctetStrFromText(file);
    unsigned int counter = 0;
    // No entry for our engine (-1) or no file at all (-2) both start from 0.
    if (getBootCounter(path, engineId, counter) < -2)
        ThrowQVException(QV_ERR_LOAD_BOOTCOUNTER);
    counter = counter < kMaxEngineBoots ? counter + 1 : kMaxEngineBoots;
    if (saveBootCounter(path, engineId, counter) != 0)
        ThrowQVException(QV_ERR_SAVE_BOOTCOUNTER);
    return counter;
}

}  // namespace

const char* const CSnmpSession::kEngineId = "QvSNMP_PP_Application";
const char* const CSnmpSession::kBootCounterFileName = "QvSNMP_PP_BootCounter";

BOOL CSnmpSession::Start(const CString& strDirectory, const CString& /*strReserved*/)
{
    CreateSnmp();
    const OctetStr engineId = OctetStrFromText(kEngineId);
    const unsigned int counter = AdvanceBootCounter(JoinPath(strDirectory, kBootCounterFileName), engineId);
    mpInit(s_pSnmp, engineId, counter);
    s_defaultParams = MakeDefaults();
    if (!s_eventProcessor.Create())
        ThrowQVException(QV_ERR_TIMER_INIT);
    return TRUE;
}

void CSnmpSession::Stop()
{
    if (s_eventProcessor.GetSafeHwnd() != nullptr)
        s_eventProcessor.StopTimer();
    if (s_pSnmp == nullptr)
        return;
    // Deleting completes outstanding requests from inside the destructor;
    // a callback that asks for the session then finds it stopped rather than
    // an object half torn down.
    Snmp* pSnmp = s_pSnmp;
    s_pSnmp = nullptr;
    delete pSnmp;
    mpFinish();
}

Snmp* CSnmpSession::GetSnmp()
{
    return s_pSnmp;
}

const CSnmpTargetParams& CSnmpSession::GetDefaultTargetParams()
{
    return s_defaultParams;
}

CEventProcessorWnd& CSnmpSession::GetEventProcessor()
{
    return s_eventProcessor;
}

CString CSnmpSession::JoinPath(const CString& strDirectory, const CString& strFileName)
{
#ifdef _WIN32
    const char separator = '\\';
#else
    const char separator = '/';
#endif
    if (strDirectory.IsEmpty())
        return strFileName;
    if (strDirectory[strDirectory.GetLength() - 1] == separator)
        return strDirectory + strFileName;
    return strDirectory + separator + strFileName;
}
