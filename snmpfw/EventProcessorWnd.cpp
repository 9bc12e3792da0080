#include "snmpfw/EventProcessorWnd.h"

#include "snmplib/Snmp.h"

namespace {

const UINT_PTR kTimerEvent = 0;
const UINT kTickMilliseconds = 20;
// Posted by the thread's message loop when a descriptor of the library is
// readable. A private message of the window (WM_APP and above); the offset
// only keeps it apart from numbers a reader would take for others.
const UINT kLibraryEventsMessage = WM_APP + 0x2E5;

}  // namespace

BEGIN_MESSAGE_MAP(CEventProcessorWnd, CWnd)
    ON_WM_TIMER()
    ON_MESSAGE(kLibraryEventsMessage, &CEventProcessorWnd::OnLibraryEvents)
END_MESSAGE_MAP()

CEventProcessorWnd::CEventProcessorWnd() : m_nTimerId(0), m_bRunning(false) {}

CEventProcessorWnd::~CEventProcessorWnd()
{
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        DestroyWindow();
    m_hWnd = nullptr;
}

BOOL CEventProcessorWnd::Create()
{
    // A session started again after Stop finds its window still there (it
    // lives until unload); only the timer and the watch start again.
    if (m_hWnd == nullptr || !::IsWindow(m_hWnd)) {
        LPCTSTR lpszClass = AfxRegisterWndClass(0, nullptr, nullptr, nullptr);
        if (!CreateEx(0, lpszClass, "Snmp EventProcessor", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr))
            return FALSE;
    }
    m_bRunning = true;
    StartTimer();
    StartWatching();
    return TRUE;
}

BOOL CEventProcessorWnd::StopTimer()
{
    m_bRunning = false;
    StopWatching();
    return KillTimer(m_nTimerId);
}

void CEventProcessorWnd::OnTimer(UINT_PTR /*nIDEvent*/)
{
    ProcessEvents();
}

LRESULT CEventProcessorWnd::OnLibraryEvents(WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    ProcessEvents();
    return 0;
}

void CEventProcessorWnd::ProcessEvents()
{
    // Neither the timer nor the descriptor may start another pass while this
    // one runs: a completion may run a nested message loop. Restarting both
    // afterwards keeps the next tick 20 ms after the end of the pass.
    KillTimer(m_nTimerId);
    StopWatching();
    if (m_bRunning)
        SNMPProcessPendingEvents();
    // A completion may have stopped the session meanwhile.
    if (!m_bRunning)
        return;
    StartTimer();
    StartWatching();
}

void CEventProcessorWnd::StartTimer()
{
    // A failure to start is not detected: the window simply stops ticking.
    m_nTimerId = SetTimer(kTimerEvent, kTickMilliseconds, nullptr);
}

void CEventProcessorWnd::StartWatching()
{
    // Stopped, nothing would read the descriptors, which would then wake the
    // loop again and again.
    if (!m_watchedFds.empty() || !m_bRunning)
        return;
    // Asked for every pass: where the system has no one descriptor for all
    // the library's sockets, they change with its sessions.
    std::vector<pollfd> fds;
    SNMPGetPendingEvents(fds);
    for (const pollfd& entry : fds) {
        const int fd = static_cast<int>(entry.fd);
        if (AfxAddWaitHandle(fd, POLLIN, m_hWnd, kLibraryEventsMessage))
            m_watchedFds.push_back(fd);
    }
}

void CEventProcessorWnd::StopWatching()
{
    for (const int fd : m_watchedFds)
        AfxRemoveWaitHandle(fd, m_hWnd);
    m_watchedFds.clear();
}
