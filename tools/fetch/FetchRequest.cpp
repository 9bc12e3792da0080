#include "tools/fetch/FetchRequest.h"

#include "snmpfw/SnmpVarDef.h"
#include "snmplib/SmiSyntax.h"
#include "snmplib/Vb.h"

#include <cmath>
#include <cstdint>

namespace {

const char* ExceptionWord(SmiUINT32 status)
{
    switch (status) {
    case sNMP_SYNTAX_NOSUCHOBJECT:
        return "noSuchObject";
    case sNMP_SYNTAX_NOSUCHINSTANCE:
        return "noSuchInstance";
    case sNMP_SYNTAX_ENDOFMIBVIEW:
        return "endOfMibView";
    default:
        return "";
    }
}

// Whether the display text of syntax holds x as it is (an integer syntax
// drops the fraction).
bool Fits(int syntax, double x)
{
    const double whole = std::trunc(x);
    switch (syntax) {
    case SYNTAX_INTEGER:
        return whole >= INT32_MIN && whole <= INT32_MAX;
    case SYNTAX_COUNTER:
    case SYNTAX_GUAGE:
    case SYNTAX_UINTEGER:
    case SYNTAX_TIMETICKS:
        return whole >= 0 && whole <= UINT32_MAX;
    case SYNTAX_COUNTER64:
        return whole >= 0 && whole < 18446744073709551616.0;
    case SYNTAX_BCDATETIME:
        return COleDateTime(x).GetYear() != AFX_OLE_DATETIME_ERROR;
    default:
        return std::isfinite(x);
    }
}

}  // namespace

void CFetchRequest::VbToText(int index, const Vb& vb, CSnmpVarList& list)
{
    CSnmpRequest::VbToText(index, vb, list);
    if (exceptions.size() < static_cast<size_t>(list.count))
        exceptions.resize(static_cast<size_t>(list.count));
    exceptions[static_cast<size_t>(index)] = ExceptionWord(vb.get_exception_status());
}

std::vector<std::string> CFetchRequest::Values() const
{
    std::vector<std::string> values;
    for (int i = 0; i < varList.count; ++i) {
        const size_t item = static_cast<size_t>(i);
        const bool exception = item < exceptions.size() && !exceptions[item].empty();
        const CString& value = *varList.GetItem(i)->value;
        // A column that has run past the end of the table has no cell in the
        // row: empty, as a cell missing from any other row.
        values.emplace_back(exception ? exceptions[item] : value == kNotDoneText ? std::string() : std::string(value));
    }
    return values;
}

CString CFetchRequest::DerivedNumberText(int syntax, double number)
{
    return Fits(syntax, number) ? CSnmpRequest::DerivedNumberText(syntax, number) : CString(kNullValueText);
}
