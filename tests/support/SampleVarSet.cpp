#include "tests/support/SampleVarSet.h"

namespace krwtest {

namespace {

const OptionPair kBandPairs[] = {{0, "2.4GHz"}, {1, "5GHz"}, {0, nullptr}};
const OptionPair kRefreshPairs[] = {{0, "nothing"}, {1, "get"}, {0, nullptr}};

}  // namespace

COptionList SampleBandOptions(kBandPairs, COptionList::KIND_INTEGER, false);
COptionList SampleRefreshOptions(kRefreshPairs, COptionList::KIND_INTEGER, false);

const CSnmpVarDef kSampleScalar[] = {
    {"1.3.6.1.4.1.32473.99.1.1.0", "refresh", SYNTAX_INTEGER, ACCESS_READWRITE, &SampleRefreshOptions, nullptr, nullptr,
     nullptr, nullptr, nullptr},
    {nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
};

const CSnmpVarDef kSampleColumns[] = {
    {"1.3.6.1.4.1.32473.99.2.1.1", "column1", SYNTAX_MACADDRESS, ACCESS_READONLY, nullptr, nullptr, nullptr, nullptr,
     nullptr, nullptr},
    {"1.3.6.1.4.1.32473.99.2.1.2", "column2", SYNTAX_INTEGER, ACCESS_READONLY, &SampleBandOptions, nullptr, nullptr,
     nullptr, nullptr, nullptr},
    {"1.3.6.1.4.1.32473.99.2.1.3", "column3", SYNTAX_INTEGER, ACCESS_READONLY, nullptr, nullptr, nullptr, nullptr,
     nullptr, nullptr},
    {"1.3.6.1.4.1.32473.99.2.1.4", "column4", SYNTAX_INTEGER, ACCESS_READONLY, nullptr, nullptr, nullptr, nullptr,
     nullptr, nullptr},
    {"1.3.6.1.4.1.32473.99.2.1.5", "column5", SYNTAX_INTEGER, ACCESS_READONLY, nullptr, nullptr, nullptr, nullptr,
     nullptr, nullptr},
    {"1.3.6.1.4.1.32473.99.2.1.6", "column6", SYNTAX_DISPLAYSTR, ACCESS_READONLY, nullptr, nullptr, nullptr, nullptr,
     nullptr, nullptr},
    {nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace krwtest
