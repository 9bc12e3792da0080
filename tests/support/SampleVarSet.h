#pragma once

#include "snmpfw/OptionList.h"
#include "snmpfw/SnmpVarDef.h"

// Variable definitions and option lists for the framework's own tests, in
// the shapes an application gives them: a writable scalar with an option
// list, and a table of six read-only columns.
namespace krwtest {

// 0 "2.4GHz", 1 "5GHz".
extern COptionList SampleBandOptions;
// 0 "nothing", 1 "get".
extern COptionList SampleRefreshOptions;

// "refresh", a read-write integer with SampleRefreshOptions; already ends in its instance.
extern const CSnmpVarDef kSampleScalar[];
// "column1" to "column6", read-only; the second reads through SampleBandOptions.
extern const CSnmpVarDef kSampleColumns[];

}  // namespace krwtest
