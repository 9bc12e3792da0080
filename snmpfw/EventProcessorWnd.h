#pragma once

#include "platform/Afx.h"

#include <vector>

// The hidden window that lets the SNMP library process its pending events:
// when the library's descriptors show that a response has arrived, and about
// every 20 ms on its timer, for retransmissions and time-outs. Every
// asynchronous completion of the framework runs inside its message handling,
// on the thread that created the window.
class CEventProcessorWnd : public CWnd {
public:
    CEventProcessorWnd();
    ~CEventProcessorWnd() override;

    // Creates the window (unless it already exists), starts the timer and
    // watches the library's descriptors: the library's events are processed
    // from now on. FALSE when the window cannot be created.
    BOOL Create();

    // Kills the timer, stops watching and returns the timer's result; the
    // window stays, and processes nothing until created again.
    BOOL StopTimer();

    // After a request has been sent: watches at once what the library has
    // opened for it (on Windows a new session's socket), rather than from the
    // end of the next pass on. Nothing to do when the library's descriptors
    // are the ones watched, or inside a pass, which looks after the end.
    void WatchNewDescriptors();

protected:
    afx_msg void OnTimer(UINT_PTR nIDEvent) override;
    afx_msg LRESULT OnLibraryEvents(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void ProcessEvents();
    void StartTimer();
    BOOL KillTick();
    void SyncWatching();
    void StopWatching();

    UINT_PTR m_nTimerId;
    std::vector<int> m_watchedFds;
    std::vector<int> m_pausedFds;        // quiet until the pass ends
    unsigned long m_nWatchedGeneration;  // of the library's descriptors watched
    bool m_bWatching;
    bool m_bRunning;  // from Create to StopTimer
    bool m_bInPass;
};
