#include <cctype>

#include "snmpfw/DisplayText.h"
#include "snmpfw/Expression.h"

const char* const ComparisonOperators[COMPARE_OPERATOR_COUNT + 1] = {"<>", ">=", "<=", ">", "<", "=", nullptr};

namespace {

const char kKeywordNow[] = "NOW";

bool IsBlank(char ch)
{
    return std::isspace(static_cast<unsigned char>(ch)) != 0;
}

bool Holds(int op, int order)
{
    switch (op) {
    case COMPARE_NOT_EQUAL:
        return order != 0;
    case COMPARE_GREATER_EQUAL:
        return order >= 0;
    case COMPARE_LESS_EQUAL:
        return order <= 0;
    case COMPARE_GREATER:
        return order > 0;
    case COMPARE_LESS:
        return order < 0;
    default:
        return order == 0;
    }
}

}  // namespace

CString Unquote(const CString& text)
{
    int first = 0;
    int last = text.GetLength();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    if (first == last)
        return CString();
    if (text[first] == '"' && text[last - 1] == '"') {
        // A lone quote both begins and ends the text: nothing lies between.
        return last - first < 2 ? CString() : text.Mid(first + 1, last - first - 2);
    }
    return text.Mid(first, last - first);
}

int SplitAtComparison(const char* const* operators, const CString& text, CString& left, CString& right)
{
    for (int index = 0; operators[index] != nullptr; ++index) {
        // An operator at the very start does not count, even if it occurs
        // again later: only its first occurrence is looked at.
        int pos = text.Find(operators[index]);
        if (pos > 0) {
            left = text.Left(pos);
            right = text.Mid(pos + CString(operators[index]).GetLength());
            return index;
        }
    }
    return -1;
}

bool CompareTerms(const CString& text)
{
    CString left;
    CString right;
    int op = SplitAtComparison(ComparisonOperators, text, left, right);
    if (op < 0)
        return text.CompareNoCase(kTrueText) == 0;
    left = Unquote(left);
    right = Unquote(right);
    if (left.CompareNoCase(kKeywordNow) == 0 || right.CompareNoCase(kKeywordNow) == 0)
        return false;
    int order = _mbscmp(reinterpret_cast<const unsigned char*>(static_cast<LPCTSTR>(left)),
                        reinterpret_cast<const unsigned char*>(static_cast<LPCTSTR>(right)));
    return Holds(op, order);
}
