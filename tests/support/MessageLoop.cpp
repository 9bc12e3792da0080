#include "tests/support/MessageLoop.h"

namespace krwtest {

bool RunMessagesUntil(const std::function<bool()>& done, UINT waitMs, HWND countedWindow, int* ticks)
{
    const UINT_PTR reference = ::SetTimer(nullptr, 0, waitMs, nullptr);
    MSG msg;
    for (int guard = 0; guard < 10000000 && !done(); ++guard) {
        if (::GetMessage(&msg, nullptr, 0, 0) <= 0)
            break;
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == reference)
            break;
        if (ticks != nullptr && msg.message == WM_TIMER && msg.hwnd == countedWindow)
            ++*ticks;
        ::DispatchMessage(&msg);
    }
    ::KillTimer(nullptr, reference);
    return done();
}

}  // namespace krwtest
