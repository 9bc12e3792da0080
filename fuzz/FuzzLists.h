#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include "common/QvException.h"
#include "snmpfw/OptionList.h"
#include "snmpfw/SnmpVarList.h"

// Variable lists and option lists shaped by the fuzzer's input. Only the
// input's integral values are used (taken from its end), so a target's
// leading bytes stay whole for the datagram or text it feeds in.
namespace krwfuzz {

// Where item i of a fuzzed list lives: a column of one table, or a scalar.
extern const char* const kColumnBase;  // item i: kColumnBase + "." + (i + 1)
extern const char* const kScalarBase;  // item i: kScalarBase + "." + (i + 1) + ".0"

// Any syntax code the framework knows, or one it does not.
int ConsumeSyntax(FuzzedDataProvider& in);
// No option list, or one of each kind and case rule.
COptionList* ConsumeOptions(FuzzedDataProvider& in);
// An expression of references and operators, from a fixed set.
const char* ConsumeExpression(FuzzedDataProvider& in);
// A table list (with 0 to all items as keys) or a single-instance list of
// 1 to 8 items with fuzzed syntaxes, access bits, option lists and get
// expressions.
CSnmpVarList ConsumeVarList(FuzzedDataProvider& in, bool table);

// Runs work; an exception of the framework's own is the expected way for
// hostile input to fail, and is released here.
template <typename Work>
void Tolerate(Work work)
{
    try {
        work();
    } catch (CQVException* e) {
        e->Delete();
    }
}

}  // namespace krwfuzz
