#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/QvErrors.h"
#include "common/QvException.h"
#include "snmpfw/DisplayDate.h"
#include "snmpfw/DisplayText.h"
#include "snmpfw/Expression.h"
#include "snmpfw/OptionList.h"
#include "snmpfw/SnmpRequest.h"
#include "snmpfw/ValueConversion.h"
#include "snmplib/SnmpLib.h"

namespace {

const char kReferenceMarker[] = "$";

// The item number after a marker: the longest digit run, 0 when it is empty.
// A number too large for any list saturates, so that it fails the bound test
// instead of overflowing.
struct Reference {
    int index = 0;
    int length = 0;
};

Reference ReadReference(const CString& text, int start)
{
    Reference reference;
    while (start + reference.length < text.GetLength() &&
           std::isdigit(static_cast<unsigned char>(text[start + reference.length]))) {
        int digit = text[start + reference.length] - '0';
        if (reference.index <= (INT32_MAX - digit) / 10)
            reference.index = reference.index * 10 + digit;
        else
            reference.index = INT32_MAX;
        ++reference.length;
    }
    return reference;
}

// The value of a referenced item as raw text: enumerations go in as their
// number. A reference outside the list has no value at all.
CString ReferencedValue(const CSnmpVarList& list, int index)
{
    if (index >= list.count)
        ThrowQVException(QV_ERR_EXPR_NULL_VALUE);
    const SnmpVarItem* item = list.GetItem(index);
    CString value = item->options != nullptr ? item->options->TextToValue(*item->value) : *item->value;
    if (value == kNullValueText)
        ThrowQVException(QV_ERR_EXPR_NULL_VALUE);
    return value;
}

CString FormatUnsigned(unsigned long number)
{
    CString text;
    text.Format("%lu", number);
    return text;
}

// How a value goes into the expression text, by the item's syntax.
CString ReferenceText(int syntax, const CString& value, bool quoteStrings)
{
    switch (syntax) {
    case SYNTAX_BOOLEAN:
    case SYNTAX_BOOL8:
    case SYNTAX_BOOL16:
        return value == kTrueText ? "1" : "0";
    case SYNTAX_INTEGER:
    case SYNTAX_COUNTER:
    case SYNTAX_GUAGE:
    case SYNTAX_COUNTER64:
    case SYNTAX_UINTEGER:
    case SYNTAX_DOUBLE:
    case SYNTAX_INT8:
    case SYNTAX_UINT8:
    case SYNTAX_INT16:
    case SYNTAX_UINT16:
        return value;
    case SYNTAX_TIMETICKS:
        return FormatUnsigned(TimeTicksFromText(value));
    case SYNTAX_BCDATETIME:
        return DoubleText(ParseDisplayDate(value).m_dt);
    default:
        if (!quoteStrings)
            ThrowQVException(QV_ERR_EXPR_BAD_SYNTAX);
        return "\"" + value + "\"";
    }
}

// The output is built in one pass: the text before each reference, then the
// referenced value. An inserted value may itself hold the marker (a display
// string); it is data, never a reference, as the search goes on in the
// expression, not in the output.
CString Substitute(const CSnmpVarList& list, const CString& expression, bool quoteStrings, const CString& marker)
{
    if (marker.IsEmpty())
        return expression;
    const std::string& source = expression.Str();
    std::string text;
    text.reserve(source.size());
    size_t copied = 0;
    size_t pos = source.find(marker.Str());
    while (pos != std::string::npos) {
        const int start = static_cast<int>(pos + marker.Str().size());
        const Reference reference = ReadReference(expression, start);
        const CString value = ReferencedValue(list, reference.index);
        text.append(source, copied, pos - copied);
        text += ReferenceText(list.GetItem(reference.index)->syntax, value, quoteStrings).Str();
        copied = static_cast<size_t>(start + reference.length);
        pos = source.find(marker.Str(), copied);
    }
    text.append(source, copied, std::string::npos);
    return CString(text);
}

// x rounded toward zero, of which the low 32 bits are kept. A NaN or an
// infinity has no integer and gives 0.
uint32_t TruncatedLow32(double x)
{
    if (!std::isfinite(x))
        return 0;
    const double twoTo32 = 4294967296.0;
    double low = std::fmod(std::trunc(x), twoTo32);
    if (low < 0)
        low += twoTo32;
    return static_cast<uint32_t>(low);
}

// The derived number as the display text of the item's syntax.
CString DerivedText(int syntax, double x)
{
    CString text;
    switch (syntax) {
    case SYNTAX_BOOLEAN:
        return BooleanText(x != 0);
    case SYNTAX_INTEGER:
        text.Format("%d", static_cast<int32_t>(TruncatedLow32(x)));
        return text;
    case SYNTAX_COUNTER:
    case SYNTAX_GUAGE:
    case SYNTAX_UINTEGER:
        return FormatUnsigned(TruncatedLow32(x));
    case SYNTAX_COUNTER64:
        return Counter64::ld_to_c64(x).get_printable();
    case SYNTAX_DOUBLE:
        return DoubleText(x);
    case SYNTAX_TIMETICKS:
        return TimeTicks(TruncatedLow32(x)).get_printable();
    case SYNTAX_BCDATETIME:
        return FormatDisplayDate(x);
    default:
        ThrowQVException(QV_ERR_EXPR_BAD_SYNTAX);
    }
}

}  // namespace

CString CSnmpRequest::SubstituteReferences(const CString& expression, bool quoteStrings, const CString& marker)
{
    return Substitute(varList, expression, quoteStrings, marker);
}

void CSnmpRequest::EvaluateDerived(int index, bool read, CSnmpVarList& list)
{
    SnmpVarItem* item = list.GetItem(index);
    const char* expression = read ? item->getExpression : item->setExpression;
    if (expression == nullptr)
        return;
    // The references name items of the list being derived: after a response
    // that is the copy holding the values just received, not this object's
    // own list, whose values are those that were sent.
    CString text = Substitute(list, expression, false, kReferenceMarker);
    CString derived = DerivedNumberText(item->syntax, EvaluateArithmetic(text));
    if (item->options != nullptr)
        derived = item->options->ValueToText(derived);
    *item->value = derived;
}

CString CSnmpRequest::DerivedNumberText(int syntax, double number)
{
    return DerivedText(syntax, number);
}

bool CSnmpRequest::EvaluateCondition(const CString& condition)
{
    if (condition.IsEmpty())
        return true;
    return EvaluateLogic(SubstituteReferences(condition, true, kReferenceMarker));
}
