#pragma once

#include "platform/Afx.h"

#include <functional>
#include <map>
#include <vector>

// The thread's message loop as a host runs it: it also carries the plug-in's
// work, whose sockets and timers come to the thread that loaded it as
// messages. Besides dispatching, it runs the host's own periodic actions and
// thread messages, and measures the longest dispatch: for that long a host's
// windows would not have answered. The actions are set before Run.
class CHostMessageLoop {
public:
    using CAction = std::function<void()>;

    // A wait without a bound: Run ends when done() holds or on WM_QUIT.
    static constexpr UINT kUnbounded = INFINITE;

    // action runs every periodMs while Run runs.
    void Every(UINT periodMs, CAction action);
    // action runs for every message of this number posted to the thread (no
    // window), instead of its dispatch.
    void OnThreadMessage(UINT message, CAction action);
    // watch sees every message before its dispatch.
    void Watch(std::function<void(const MSG&)> watch);

    // Dispatches the thread's messages until done() holds (an empty done
    // never does), WM_QUIT comes or waitMs have passed. Returns whether done()
    // holds at the end.
    bool Run(UINT waitMs, const std::function<bool()>& done = nullptr);

    // The longest one dispatch took during the last Run, in milliseconds.
    double LongestDispatchMs() const { return longestDispatchMs; }

private:
    struct CPeriodic {
        UINT periodMs;
        CAction action;
    };

    void Dispatch(const MSG& msg);
    // Runs the host's action for msg; false when it has none.
    bool RunAction(const MSG& msg, const std::map<UINT_PTR, CAction>& timers) const;

    std::vector<CPeriodic> periodic;
    std::map<UINT, CAction> threadMessages;
    std::function<void(const MSG&)> watcher;
    double longestDispatchMs = 0;
};
