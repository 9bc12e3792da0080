#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "snmpfw/Expression.h"
#include "snmpfw/ExpressionClock.h"
#include "snmpfw/ExpressionScan.h"

using namespace ExpressionScan;

// The evaluation is the recursive one (group first, then "+", "-", "*", "/"
// split at their first occurrence), run on an explicit stack of frames so
// that a long or deeply nested text cannot exhaust the thread's stack.
// Operands are views into the text of the frame that split them; a frame
// owns a text only after it has replaced a group.

namespace
{

const char KEYWORD_NOW[] = "NOW";
const char GROUP_VALUE_FORMAT[] = "%f";

enum class Step
{
    Examine,      // find the group or the operator
    AfterGroup,   // the group's value has arrived
    AfterLeft,    // the left operand of "+" or "-" has arrived
    AfterRight    // the right operand has arrived
};

struct Frame
{
    Frame(std::string_view t, GroupFinder* f) : text(t), finder(f) {}

    // Replaces the text by one that this frame owns.
    void Own(std::string replaced)
    {
        own.swap(replaced);
        text = own;
        ownFinder = std::make_unique<GroupFinder>(own);
        finder = ownFinder.get();
    }

    std::string_view text;
    GroupFinder* finder;      // of the text that text is a view of
    std::string own;
    std::unique_ptr<GroupFinder> ownFinder;
    Step step = Step::Examine;
    Group group;
    char op = 0;
    size_t split = 0;
    double left = 0;
};

std::string FormatGroupValue(double value)
{
    int length = std::snprintf(nullptr, 0, GROUP_VALUE_FORMAT, value);
    std::string text(static_cast<size_t>(length), '\0');
    std::snprintf(&text[0], text.size() + 1, GROUP_VALUE_FORMAT, value);
    return text;
}

// The final leaf: "NOW" only when spelled exactly so.
double ReadLeaf(std::string_view text)
{
    return text == KEYWORD_NOW ? ReadExpressionClock() : ReadNumber(text);
}

// The left operand of "*" and "/" is never evaluated further.
double ReadFactor(std::string_view text)
{
    return EqualsNoCase(text, KEYWORD_NOW) ? ReadExpressionClock() : ReadNumber(text);
}

double Combine(char op, double left, double right)
{
    switch (op)
    {
    case '+': return left + right;
    case '-': return left - right;
    case '*': return left * right;
    default: return left / right;
    }
}

class ArithmeticMachine
{
public:
    double Run(std::string_view text)
    {
        GroupFinder finder(text);
        frames.emplace_back(text, &finder);
        double value = 0;
        bool returning = false;
        while (true)
        {
            returning = returning ? Resume(value) : Examine(value);
            if (returning && frames.empty())
                return value;
        }
    }

private:
    // Each step either pushes a frame (returns false) or completes the top
    // frame with value and pops it (returns true).
    bool Examine(double& value)
    {
        Frame& frame = frames.back();
        frame.group = frame.finder->Find(frame.text);
        if (frame.group.found)
        {
            frame.step = Step::AfterGroup;
            frames.emplace_back(Inner(frame.text, frame.group), frame.finder);
            return false;
        }
        for (char op : {'+', '-'})
        {
            size_t pos = FindChar(frame.text, op);
            if (pos != npos)
            {
                frame.op = op;
                frame.split = pos;
                frame.step = Step::AfterLeft;
                frames.emplace_back(frame.text.substr(0, pos), frame.finder);
                return false;
            }
        }
        for (char op : {'*', '/'})
        {
            size_t pos = FindChar(frame.text, op);
            if (pos != npos)
            {
                frame.op = op;
                frame.split = pos;
                frame.left = ReadFactor(frame.text.substr(0, pos));
                frame.step = Step::AfterRight;
                frames.emplace_back(frame.text.substr(pos + 1), frame.finder);
                return false;
            }
        }
        value = ReadLeaf(frame.text);
        frames.pop_back();
        return true;
    }

    bool Resume(double& value)
    {
        Frame& frame = frames.back();
        switch (frame.step)
        {
        case Step::AfterGroup:
        {
            frame.Own(ReplaceGroup(frame.text, frame.group, FormatGroupValue(value)));
            frame.step = Step::Examine;
            return false;
        }
        case Step::AfterLeft:
            frame.left = value;
            frame.step = Step::AfterRight;
            frames.emplace_back(frame.text.substr(frame.split + 1), frame.finder);
            return false;
        default:
            value = Combine(frame.op, frame.left, value);
            frames.pop_back();
            return true;
        }
    }

    // A deque keeps every frame in place while others are pushed, so the
    // views into a parent's own text stay valid.
    std::deque<Frame> frames;
};

}  // namespace

double EvaluateArithmetic(const CString& text)
{
    ArithmeticMachine machine;
    return machine.Run(std::string_view(text, static_cast<size_t>(text.GetLength())));
}
