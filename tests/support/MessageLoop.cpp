#include "tests/support/MessageLoop.h"

#include "hostlib/HostMessageLoop.h"

namespace krwtest {

bool RunMessagesUntil(const std::function<bool()>& done, UINT waitMs, HWND countedWindow, int* ticks)
{
    CHostMessageLoop loop;
    if (ticks != nullptr)
        loop.Watch([countedWindow, ticks](const MSG& msg) {
            if (msg.message == WM_TIMER && msg.hwnd == countedWindow)
                ++*ticks;
        });
    return loop.Run(waitMs, done);
}

}  // namespace krwtest
