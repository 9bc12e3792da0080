#include "snmpfw/EventProcessorWnd.h"

#include "snmpfw/SnmpSession.h"
#include "snmplib/Snmp.h"

namespace {

const UINT_PTR kTimerEvent = 0;
const UINT kTickMilliseconds = 20;

}  // namespace

BEGIN_MESSAGE_MAP(CEventProcessorWnd, CWnd)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CEventProcessorWnd::CEventProcessorWnd() : m_nTimerId(0) {}

CEventProcessorWnd::~CEventProcessorWnd()
{
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        DestroyWindow();
    m_hWnd = nullptr;
}

BOOL CEventProcessorWnd::Create()
{
    // A session started again after Stop finds its window still there (it
    // lives until unload); only the timer has to run again.
    if (m_hWnd == nullptr || !::IsWindow(m_hWnd)) {
        LPCTSTR lpszClass = AfxRegisterWndClass(0, nullptr, nullptr, nullptr);
        if (!CreateEx(0, lpszClass, "Snmp EventProcessor", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr))
            return FALSE;
    }
    StartTimer();
    return TRUE;
}

BOOL CEventProcessorWnd::StopTimer()
{
    return KillTimer(m_nTimerId);
}

void CEventProcessorWnd::OnTimer(UINT_PTR /*nIDEvent*/)
{
    // The pass may take a while (callbacks run inside it); restarting
    // afterwards keeps the next tick 20 ms after its end.
    KillTimer(m_nTimerId);
    if (CSnmpSession::GetSnmp() != nullptr)
        SNMPProcessPendingEvents();
    StartTimer();
}

void CEventProcessorWnd::StartTimer()
{
    // A failure to start is not detected: the window simply stops ticking.
    m_nTimerId = SetTimer(kTimerEvent, kTickMilliseconds, nullptr);
}
