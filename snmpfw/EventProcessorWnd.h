#pragma once

#include "platform/Afx.h"

// The hidden window whose timer lets the SNMP library process its pending
// events about every 20 ms. Every asynchronous completion of the framework
// runs inside its timer handler, on the thread that created the window.
class CEventProcessorWnd : public CWnd {
public:
    CEventProcessorWnd();
    ~CEventProcessorWnd() override;

    // Creates the window (unless it already exists) and starts the timer;
    // FALSE when the window cannot be created.
    BOOL Create();

    // Kills the timer and returns the platform's result; the window stays.
    BOOL StopTimer();

protected:
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    DECLARE_MESSAGE_MAP()

private:
    void StartTimer();

    UINT_PTR m_nTimerId;
};
