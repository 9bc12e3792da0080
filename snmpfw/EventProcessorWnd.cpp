#include "snmpfw/EventProcessorWnd.h"

#include "snmplib/Snmp.h"

#include <algorithm>
#include <set>

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

CEventProcessorWnd::CEventProcessorWnd()
    : m_nTimerId(0), m_nWatchedGeneration(0), m_bWatching(false), m_bRunning(false), m_bInPass(false)
{
}

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
    SyncWatching();
    return TRUE;
}

BOOL CEventProcessorWnd::StopTimer()
{
    m_bRunning = false;
    StopWatching();
    return KillTick();
}

// Only those not watched yet: the descriptors the library names all come
// from sends since the last pass, whose end registers them all afresh (a
// number closed and opened again among them included).
void CEventProcessorWnd::WatchNewDescriptors()
{
    if (m_bInPass || !m_bWatching || SNMPPendingEventsGeneration() == m_nWatchedGeneration)
        return;
    std::vector<pollfd> fds;
    SNMPGetPendingEvents(fds);
    const std::set<int> watched(m_watchedFds.begin(), m_watchedFds.end());
    for (const pollfd& entry : fds) {
        const int fd = static_cast<int>(entry.fd);
        if (watched.count(fd) == 0 && AfxAddWaitHandle(fd, POLLIN, m_hWnd, kLibraryEventsMessage))
            m_watchedFds.push_back(fd);
    }
}

void CEventProcessorWnd::OnTimer(UINT_PTR /*nIDEvent*/)
{
    ProcessEvents();
}

LRESULT CEventProcessorWnd::OnLibraryEvents(WPARAM wParam, LPARAM /*lParam*/)
{
    // Inside a pass (a completion's nested message loop) the descriptor is
    // left alone until the pass ends, when it is watched again and reports
    // again whatever is still unread.
    // A message still queued for a descriptor no longer watched (on Windows
    // a socket closed since, whose number may be another's by now) is left
    // alone.
    if (m_bInPass) {
        const int fd = static_cast<int>(wParam);
        const auto watched = std::find(m_watchedFds.begin(), m_watchedFds.end(), fd);
        if (watched == m_watchedFds.end())
            return 0;
        AfxRemoveWaitHandle(fd, m_hWnd);
        m_watchedFds.erase(watched);
        m_pausedFds.push_back(fd);
        return 0;
    }
    ProcessEvents();
    return 0;
}

void CEventProcessorWnd::ProcessEvents()
{
    // Neither the timer nor a descriptor may start another pass while this
    // one runs: a completion may run a nested message loop. Restarting the
    // timer afterwards keeps the next tick 20 ms after the end of the pass.
    if (m_bInPass)
        return;
    KillTick();
    m_bInPass = true;
    if (m_bRunning)
        SNMPProcessPendingEvents();
    m_bInPass = false;
    // A completion may have stopped the session meanwhile.
    if (!m_bRunning)
        return;
    StartTimer();
    SyncWatching();
}

// By the identifier the timer was set with: for identifier 0 Windows gives
// back 1, which names no timer of the window.
BOOL CEventProcessorWnd::KillTick()
{
    return CWnd::KillTimer(kTimerEvent);
}

void CEventProcessorWnd::StartTimer()
{
    // A failure to start is not detected: the window simply stops ticking.
    m_nTimerId = SetTimer(kTimerEvent, kTickMilliseconds, nullptr);
}

// Registering costs a system call per descriptor on Windows, where every
// session's socket is one: registrations stay from pass to pass while the
// library's descriptors stay the same.
void CEventProcessorWnd::SyncWatching()
{
    // Stopped, nothing would read the descriptors, which would then wake the
    // loop again and again.
    if (!m_bRunning)
        return;
    const unsigned long generation = SNMPPendingEventsGeneration();
    std::vector<int> wanted;
    if (m_bWatching && generation == m_nWatchedGeneration) {
        wanted.swap(m_pausedFds);
    } else {
        // The descriptors the library no longer names it has closed, which
        // ended their registrations; cancelling by number could hit a socket
        // of someone else's that has the number now. The others are
        // registered afresh.
        m_watchedFds.clear();
        m_pausedFds.clear();
        std::vector<pollfd> fds;
        SNMPGetPendingEvents(fds);
        for (const pollfd& entry : fds)
            wanted.push_back(static_cast<int>(entry.fd));
        m_nWatchedGeneration = generation;
        m_bWatching = true;
    }
    for (const int fd : wanted) {
        if (AfxAddWaitHandle(fd, POLLIN, m_hWnd, kLibraryEventsMessage))
            m_watchedFds.push_back(fd);
    }
}

void CEventProcessorWnd::StopWatching()
{
    for (const int fd : m_watchedFds)
        AfxRemoveWaitHandle(fd, m_hWnd);
    m_watchedFds.clear();
    m_pausedFds.clear();
    m_bWatching = false;
}
