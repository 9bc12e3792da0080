#include "fuzz/FuzzLists.h"

#include <string>
#include <vector>

#include "snmpfw/SnmpVarDef.h"

namespace krwfuzz {

const char* const kColumnBase = "1.3.6.1.4.1.32473.99.2.1";
const char* const kScalarBase = "1.3.6.1.4.1.32473.99.1";

namespace {

const int kMaxItems = 8;

const int kSyntaxes[] = {SYNTAX_BOOLEAN,    SYNTAX_INTEGER,   SYNTAX_BITSTR,     SYNTAX_OCTETSTR,   SYNTAX_NULL,
                         SYNTAX_OBJECTID,   SYNTAX_IPADDRESS, SYNTAX_COUNTER,    SYNTAX_GUAGE,      SYNTAX_TIMETICKS,
                         SYNTAX_OPAQUE,     SYNTAX_NSAPADDR,  SYNTAX_COUNTER64,  SYNTAX_UINTEGER,   SYNTAX_DOUBLE,
                         SYNTAX_MACADDRESS, SYNTAX_DATETIME,  SYNTAX_BCDATETIME, SYNTAX_DISPLAYSTR, SYNTAX_BOOL8,
                         SYNTAX_INT8,       SYNTAX_UINT8,     SYNTAX_BOOL16,     SYNTAX_INT16,      SYNTAX_UINT16};

const OptionPair kNumbers[] = {{0, "2.4GHz"}, {1, "5GHz"}, {-1, "minus"}, {2147483647, "max"}, {0, nullptr}};
const OptionTextPair kTexts[] = {{"00", "zero"}, {"0A", "ten"}, {"", "empty"}, {"$1", "marked"}, {nullptr, nullptr}};
const OptionTextPair kPrefixes[] = {{"1.3.6", "internet"}, {"00", "MAC "}, {"", "all"}, {nullptr, nullptr}};

COptionList s_numbers(kNumbers, COptionList::KIND_INTEGER, false);
COptionList s_numbersExact(kNumbers, COptionList::KIND_INTEGER, true);
COptionList s_texts(kTexts, COptionList::KIND_STRING, false);
COptionList s_prefixes(kPrefixes, COptionList::KIND_PREFIX, true);

const char* const kExpressions[] = {
    "$0+1", "$1*$2-$0",       "$0/$1",       "($0+$1)*(0-$2)", "$",   "$7",   "$99999999999",
    "1/0",  "$0*1e308*1e308", "$2147483647", "$0$1",           "-$0", "$0%2",
};

std::string ItemOid(bool table, int i)
{
    const std::string number = std::to_string(i + 1);
    return table ? std::string(kColumnBase) + "." + number : std::string(kScalarBase) + "." + number + ".0";
}

}  // namespace

int ConsumeSyntax(FuzzedDataProvider& in)
{
    if (in.ConsumeIntegralInRange(0, 15) == 0)
        return in.ConsumeIntegral<int>();
    return in.PickValueInArray(kSyntaxes);
}

COptionList* ConsumeOptions(FuzzedDataProvider& in)
{
    COptionList* const lists[] = {nullptr, nullptr, &s_numbers, &s_numbersExact, &s_texts, &s_prefixes};
    return in.PickValueInArray(lists);
}

const char* ConsumeExpression(FuzzedDataProvider& in)
{
    return in.PickValueInArray(kExpressions);
}

CSnmpVarList ConsumeVarList(FuzzedDataProvider& in, bool table)
{
    const int count = in.ConsumeIntegralInRange(1, kMaxItems);
    std::vector<std::string> oids;
    std::vector<CSnmpVarDef> definitions;
    oids.reserve(count);
    for (int i = 0; i < count; ++i) {
        oids.push_back(ItemOid(table, i));
        CSnmpVarDef definition{};
        definition.oid = oids.back().c_str();
        definition.name = "item";
        definition.syntax = ConsumeSyntax(in);
        definition.access = in.ConsumeIntegralInRange(0, 255);
        definition.options = ConsumeOptions(in);
        definition.getExpression = in.ConsumeIntegralInRange(0, 7) == 0 ? ConsumeExpression(in) : nullptr;
        definitions.push_back(definition);
    }
    definitions.push_back(CSnmpVarDef{});
    const int keyCount = table ? in.ConsumeIntegralInRange(0, count) : 0;
    return CSnmpVarList(definitions.data(), table ? MVT_FMV : in.ConsumeIntegralInRange<int>(SVT_SV, MVT_SV), keyCount);
}

}  // namespace krwfuzz
