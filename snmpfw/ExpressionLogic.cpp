#include <string>
#include <string_view>

#include "snmpfw/DisplayText.h"
#include "snmpfw/Expression.h"
#include "snmpfw/ExpressionMachine.h"
#include "snmpfw/ExpressionScan.h"

using namespace ExpressionScan;

// Groups are resolved first (leftmost first, each replaced by "true" or
// "false"), then "|", "&" and "!" split at their first occurrence; what is
// left is one comparison. As in the arithmetic evaluator the recursion runs
// on an explicit stack. A text whose value is that of another text (the
// right side of "|" and "&", the text after "!", the text with a group
// replaced) is evaluated in the same frame; "!" only flips the frame's sign.

namespace {

enum class Step { Examine, AfterGroup, AfterOrLeft, AfterAndLeft };

struct Frame {
    Frame(std::string_view view, GroupFinder* finder) : text(view, finder) {}

    FrameText text;
    Step step = Step::Examine;
    bool negate = false;
    Group group;
    size_t split = 0;
};

// Only the first pair of double quotes counts.
class QuotedSpan {
public:
    explicit QuotedSpan(std::string_view text)
    {
        first = FindChar(text, '"');
        if (first != npos) {
            size_t next = FindChar(text.substr(first + 1), '"');
            second = next == npos ? npos : first + 1 + next;
        }
    }

    bool Covers(size_t pos) const { return first != npos && second != npos && pos > first && pos < second; }

private:
    size_t first = npos;
    size_t second = npos;
};

class LogicMachine : public FrameMachine<LogicMachine, Frame, bool> {
    friend class FrameMachine<LogicMachine, Frame, bool>;

    // An operator whose first occurrence is quoted does not count at all.
    static size_t FindOperator(std::string_view text, const QuotedSpan& quoted, char op)
    {
        size_t pos = FindChar(text, op);
        return pos != npos && quoted.Covers(pos) ? npos : pos;
    }

    void Push(Frame& parent, Step step, std::string_view child)
    {
        parent.step = step;
        frames.emplace_back(child, parent.text.Finder());
    }

    bool Complete(bool result, bool& value)
    {
        value = frames.back().negate != result;
        frames.pop_back();
        return true;
    }

    bool Examine(bool& value)
    {
        Frame& frame = frames.back();
        std::string_view text = frame.text.View();
        QuotedSpan quoted(text);
        frame.group = frame.text.FindGroup();
        if (frame.group.found && !quoted.Covers(frame.group.open) && !quoted.Covers(frame.group.close)) {
            Push(frame, Step::AfterGroup, Inner(text, frame.group));
            return false;
        }
        size_t pos = FindOperator(text, quoted, '|');
        if (pos != npos) {
            frame.split = pos;
            Push(frame, Step::AfterOrLeft, text.substr(0, pos));
            return false;
        }
        pos = FindOperator(text, quoted, '&');
        if (pos != npos) {
            frame.split = pos;
            Push(frame, Step::AfterAndLeft, text.substr(0, pos));
            return false;
        }
        pos = FindOperator(text, quoted, '!');
        if (pos != npos) {
            frame.negate = !frame.negate;
            frame.text.KeepAfter(pos);
            return false;
        }
        CString terms(text.data(), static_cast<int>(text.size()));
        return Complete(CompareTerms(terms), value);
    }

    bool Resume(bool& value)
    {
        Frame& frame = frames.back();
        switch (frame.step) {
        case Step::AfterGroup: {
            frame.text.ReplaceGroup(frame.group, value ? kTrueText : kFalseText);
            break;
        }
        case Step::AfterOrLeft:
            if (value)
                return Complete(true, value);
            frame.text.KeepAfter(frame.split);
            break;
        default:
            if (!value)
                return Complete(false, value);
            frame.text.KeepAfter(frame.split);
            break;
        }
        frame.step = Step::Examine;
        return false;
    }
};

}  // namespace

bool EvaluateLogic(const CString& text)
{
    LogicMachine machine;
    return machine.Run(std::string_view(text, static_cast<size_t>(text.GetLength())));
}
