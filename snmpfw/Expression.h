#pragma once

#include "platform/Afx.h"

// Evaluators of the expression texts that variable definitions carry. They
// work on the text itself (find an operator, split, evaluate the pieces);
// "first occurrence" always means a plain left-to-right search of the whole
// current text. They never raise: malformed text yields a number or false.

// The comparison operators in the order they are tried. Longer operators
// come before their one-character prefixes; the list ends with a null entry.
enum {
    COMPARE_NOT_EQUAL,      // "<>"
    COMPARE_GREATER_EQUAL,  // ">="
    COMPARE_LESS_EQUAL,     // "<="
    COMPARE_GREATER,        // ">"
    COMPARE_LESS,           // "<"
    COMPARE_EQUAL,          // "="
    COMPARE_OPERATOR_COUNT
};
extern const char* const ComparisonOperators[COMPARE_OPERATOR_COUNT + 1];

// Numbers, "NOW", "+", "-", "*", "/" and parenthesised groups.
double EvaluateArithmetic(const CString& text);

// Whether EvaluateArithmetic reads all of the text as written: each
// leaf a number read whole, or NOW where it is taken, and each group an
// operand of its own ("1+", "2(3)", "- -1" and "1e" are not). A text that is
// not evaluates to some number all the same; this tells them apart before
// the text is used.
bool IsWellFormedArithmetic(const CString& text);

// Groups, "|", "&", "!", the comparisons and the keyword "true".
bool EvaluateLogic(const CString& text);

// One comparison, or the keyword test when the text holds no operator.
bool CompareTerms(const CString& text);

// Index of the first operator of the list whose first occurrence lies after
// the first character, with the operands on either side of it; -1 when there
// is none, and then left and right are not touched.
int SplitAtComparison(const char* const* operators, const CString& text, CString& left, CString& right);

// Trims white space at both ends and removes one pair of enclosing quotes.
CString Unquote(const CString& text);
