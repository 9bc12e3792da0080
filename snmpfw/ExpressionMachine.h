#pragma once

#include <deque>
#include <string_view>

#include "snmpfw/ExpressionScan.h"

namespace ExpressionScan {

// The loop that both evaluators run their recursion on. Machine::Examine
// works on the top frame, Machine::Resume hands it the value of the frame
// just completed; each either pushes a frame (returns false) or completes
// the top frame with value and pops it (returns true). The evaluation is
// over when the first frame has been popped.
template <typename Machine, typename Frame, typename Value>
class FrameMachine {
public:
    Value Run(std::string_view text)
    {
        GroupFinder finder(text);
        frames.emplace_back(text, &finder);
        Machine& machine = static_cast<Machine&>(*this);
        Value value{};
        bool returning = false;
        while (true) {
            returning = returning ? machine.Resume(value) : machine.Examine(value);
            if (returning && frames.empty())
                return value;
        }
    }

protected:
    // A deque keeps every frame in place while others are pushed, so the
    // views into a parent's own text stay valid.
    std::deque<Frame> frames;
};

}  // namespace ExpressionScan
