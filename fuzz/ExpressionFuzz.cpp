// The expression evaluators, alone and behind "$" references: derived values
// of a list whose items hold texts from the input, and conditions on it.
#include <cstdint>
#include <string>

#include "fuzz/FuzzLists.h"
#include "snmpfw/Expression.h"
#include "snmpfw/SnmpRequest.h"

namespace {

enum Evaluator { ARITHMETIC, LOGIC, COMPARISON, DERIVED, CONDITION, SUBSTITUTION, EVALUATOR_COUNT };

const char* const kMarkers[] = {"$", "", "#", "$$", "ab"};

// A list whose items hold the input's texts, then the item to derive, with
// the expression as its get or set expression.
void Derive(FuzzedDataProvider& in, const std::string& expression)
{
    CSnmpRequest request;
    request.varList = krwfuzz::ConsumeVarList(in, in.ConsumeBool());
    for (int i = 0; i < request.varList.count; ++i)
        *request.varList.GetItem(i)->value = CString(in.ConsumeRandomLengthString(64));
    const bool read = in.ConsumeBool();
    const CSnmpVarDef derived[] = {
        {"1.3.6.1.4.1.32473.99.3", "derived", krwfuzz::ConsumeSyntax(in), ACCESS_DERIVED | ACCESS_READONLY,
         krwfuzz::ConsumeOptions(in), read ? expression.c_str() : nullptr, read ? nullptr : expression.c_str(), nullptr,
         nullptr, nullptr},
        {},
    };
    request.varList.AppendDefinitions(derived);
    krwfuzz::Tolerate([&] { request.EvaluateDerived(request.varList.count - 1, read, request.varList); });
}

void Substitute(FuzzedDataProvider& in, const std::string& expression, int evaluator)
{
    CSnmpRequest request;
    request.varList = krwfuzz::ConsumeVarList(in, false);
    for (int i = 0; i < request.varList.count; ++i)
        *request.varList.GetItem(i)->value = CString(in.ConsumeRandomLengthString(64));
    krwfuzz::Tolerate([&] {
        if (evaluator == CONDITION)
            request.EvaluateCondition(CString(expression));
        else
            request.SubstituteReferences(CString(expression), in.ConsumeBool(), in.PickValueInArray(kMarkers));
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int evaluator = in.ConsumeIntegralInRange(0, EVALUATOR_COUNT - 1);
    const std::string expression = in.ConsumeRandomLengthString();
    switch (evaluator) {
    case ARITHMETIC:
        krwfuzz::Tolerate([&] { EvaluateArithmetic(CString(expression)); });
        break;
    case LOGIC:
        krwfuzz::Tolerate([&] { EvaluateLogic(CString(expression)); });
        break;
    case COMPARISON:
        krwfuzz::Tolerate([&] { CompareTerms(CString(expression)); });
        break;
    case DERIVED:
        Derive(in, expression);
        break;
    default:
        Substitute(in, expression, evaluator);
        break;
    }
    return 0;
}
