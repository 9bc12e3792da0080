#include "tools/fetch/FetchRequest.h"

#include "snmplib/SmiSyntax.h"
#include "snmplib/Vb.h"

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
        values.emplace_back(exception ? exceptions[item] : std::string(*varList.GetItem(i)->value));
    }
    return values;
}
