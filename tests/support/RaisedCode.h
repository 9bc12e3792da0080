#pragma once

#include "platform/Afx.h"

#include <functional>

namespace krwtest {

// Runs the action and returns the code of the framework exception it raises
// (0 for none), with its text in *text when asked for. The exception is
// released, as every catcher must.
int RaisedCode(const std::function<void()>& action, CString* text = nullptr);

}  // namespace krwtest
