#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "snmpfw/DisplayText.h"
#include "snmpfw/Expression.h"
#include "snmpfw/ExpressionClock.h"
#include "snmpfw/ExpressionMachine.h"
#include "snmpfw/ExpressionScan.h"

using namespace ExpressionScan;

// The evaluation is the recursive one (group first, then "+", "-", "*", "/"
// split at their first occurrence), run on an explicit stack of frames so
// that a long or deeply nested text cannot exhaust the thread's stack.
// Operands are views into the text of the frame that split them.

namespace {

const char kKeywordNow[] = "NOW";

enum class Step {
    Examine,     // find the group or the operator
    AfterGroup,  // the group's value has arrived
    AfterLeft,   // the left operand of "+" or "-" has arrived
    AfterRight   // the right operand has arrived
};

struct Frame {
    Frame(std::string_view view, GroupFinder* finder) : text(view, finder) {}

    FrameText text;
    Step step = Step::Examine;
    Group group;
    char op = 0;
    size_t split = 0;
    double left = 0;
    bool signOperand = false;  // the left operand of "+" or "-"
};

std::string FormatGroupValue(double value)
{
    const CString text = DoubleText(value);
    return std::string(text, static_cast<size_t>(text.GetLength()));
}

// The first "+" or "-" that splits the text. One at the start of the text or
// directly after "*" or "/" is the sign of a number, not an operator: so
// "2*-3" (as "2*(0-3)" becomes) is -6, and a negative value put into a text
// by a reference or a group keeps its sign.
size_t FindSplit(std::string_view text, char op)
{
    for (size_t from = 0; from < text.size();) {
        const size_t found = FindChar(text.substr(from), op);
        if (found == npos)
            return npos;
        const size_t pos = from + found;
        if (pos > 0 && text[pos - 1] != '*' && text[pos - 1] != '/')
            return pos;
        from = pos + 1;
    }
    return npos;
}

// The final leaf: "NOW" only when spelled exactly so.
double ReadLeaf(std::string_view text)
{
    return text == kKeywordNow ? ReadExpressionClock() : ReadNumber(text);
}

// The left operand of "*" and "/" is never evaluated further.
double ReadFactor(std::string_view text)
{
    return EqualsNoCase(text, kKeywordNow) ? ReadExpressionClock() : ReadNumber(text);
}

double Combine(char op, double left, double right)
{
    switch (op) {
    case '+':
        return left + right;
    case '-':
        return left - right;
    case '*':
        return left * right;
    default:
        return left / right;
    }
}

bool IsBlank(std::string_view text)
{
    return text.find_first_not_of(" \t") == npos;
}

bool IsOperator(char c)
{
    return c == '+' || c == '-' || c == '*' || c == '/';
}

// A group is an operand: only blanks lie between it and the operators or
// ends of the text around it. "2(3)" would otherwise read as "23.000000".
bool StandsAsOperand(std::string_view text, const Group& group)
{
    const size_t before = text.substr(0, group.open).find_last_not_of(" \t");
    const size_t after = text.find_first_not_of(" \t", group.close + 1);
    return (before == npos || IsOperator(text[before])) && (after == npos || IsOperator(text[after]));
}

class ArithmeticMachine : public FrameMachine<ArithmeticMachine, Frame, double> {
    friend class FrameMachine<ArithmeticMachine, Frame, double>;

public:
    // checking: also note whether all of the text is read whole.
    explicit ArithmeticMachine(bool checking) : checking(checking) {}

    bool WellFormed() const { return wellFormed; }

private:
    // A leaf of which the evaluation reads a prefix, or nothing, reads as
    // a number all the same; a blank left operand of "+" or "-" is the sign
    // of what follows ("1 - -2" splits into "1 " and " -2").
    void CheckLeaf(std::string_view text, bool keyword, bool signOperand)
    {
        if (checking && !keyword && !IsWholeNumber(text) && !(signOperand && IsBlank(text)))
            wellFormed = false;
    }

    bool Examine(double& value)
    {
        Frame& frame = frames.back();
        std::string_view text = frame.text.View();
        frame.group = frame.text.FindGroup();
        if (frame.group.found) {
            if (checking && !StandsAsOperand(text, frame.group))
                wellFormed = false;
            frame.step = Step::AfterGroup;
            frames.emplace_back(Inner(text, frame.group), frame.text.Finder());
            return false;
        }
        for (char op : {'+', '-'}) {
            size_t pos = FindSplit(text, op);
            if (pos != npos) {
                frame.op = op;
                frame.split = pos;
                frame.step = Step::AfterLeft;
                frames.emplace_back(text.substr(0, pos), frame.text.Finder()).signOperand = true;
                return false;
            }
        }
        for (char op : {'*', '/'}) {
            size_t pos = FindChar(text, op);
            if (pos != npos) {
                frame.op = op;
                frame.split = pos;
                frame.left = ReadFactor(text.substr(0, pos));
                frame.step = Step::AfterRight;
                CheckLeaf(text.substr(0, pos), EqualsNoCase(text.substr(0, pos), kKeywordNow), false);
                frames.emplace_back(text.substr(pos + 1), frame.text.Finder());
                return false;
            }
        }
        CheckLeaf(text, text == kKeywordNow, frame.signOperand);
        value = ReadLeaf(text);
        frames.pop_back();
        return true;
    }

    bool Resume(double& value)
    {
        Frame& frame = frames.back();
        switch (frame.step) {
        case Step::AfterGroup: {
            frame.text.ReplaceGroup(frame.group, FormatGroupValue(value));
            frame.step = Step::Examine;
            return false;
        }
        case Step::AfterLeft:
            frame.left = value;
            frame.step = Step::AfterRight;
            frames.emplace_back(frame.text.View().substr(frame.split + 1), frame.text.Finder());
            return false;
        default:
            value = Combine(frame.op, frame.left, value);
            frames.pop_back();
            return true;
        }
    }

    const bool checking;
    bool wellFormed = true;
};

}  // namespace

double EvaluateArithmetic(const CString& text)
{
    ArithmeticMachine machine(false);
    return machine.Run(std::string_view(text, static_cast<size_t>(text.GetLength())));
}

bool IsWellFormedArithmetic(const CString& text)
{
    ArithmeticMachine machine(true);
    machine.Run(std::string_view(text, static_cast<size_t>(text.GetLength())));
    return machine.WellFormed();
}
