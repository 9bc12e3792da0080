#pragma once

#include "platform/Afx.h"

#include <functional>

namespace krwtest {

// Dispatches this thread's messages until done() holds or a reference thread
// timer of waitMs fires; countedWindow's timer messages are counted in
// *ticks. True when done() became true.
bool RunMessagesUntil(const std::function<bool()>& done, UINT waitMs, HWND countedWindow = nullptr,
                      int* ticks = nullptr);

}  // namespace krwtest
