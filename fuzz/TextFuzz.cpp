// The text side: what a user or an application hands the framework as display
// texts. The input's last byte picks the conversion, its integral values the
// item's shape, and its leading bytes are the text.
#include <cstdint>
#include <string>

#include "common/TextToValue.h"
#include "fuzz/FuzzLists.h"
#include "snmpfw/DisplayDate.h"
#include "snmpfw/SnmpDateAndTime.h"
#include "snmpfw/SnmpRequest.h"
#include "snmpfw/ValueConversion.h"
#include "snmplib/SnmpLib.h"

namespace {

enum Conversion { TO_OID, TO_OCTETS, TO_VB, TO_INDEX, FROM_INDEX, DATES, OPTIONS, CONVERSION_COUNT };

// One item of the fuzzed syntax holding text, as key or value.
void SetUpItem(FuzzedDataProvider& in, CSnmpRequest& request)
{
    request.varList = krwfuzz::ConsumeVarList(in, true);
    request.varList.keyCount = 1;
}

// A value written to a binding must read back without failing.
void ValueThroughVb(FuzzedDataProvider& in, const CString& text)
{
    CSnmpRequest request;
    SetUpItem(in, request);
    *request.varList.GetItem(0)->value = text;
    Vb vb(Oid("1.3.6.1.4.1.32473.99.2.1.1.0"));
    krwfuzz::Tolerate([&] {
        request.TextToVb(0, vb);
        request.VbToText(0, vb, request.varList);
    });
}

void KeyBothWays(FuzzedDataProvider& in, const CString& text, bool encode)
{
    CSnmpRequest request;
    SetUpItem(in, request);
    CString instance = text;
    krwfuzz::Tolerate([&] {
        if (encode) {
            *request.varList.GetItem(0)->value = text;
            request.TextToIndex(0, instance, request.varList);
        }
        request.IndexToText(0, instance, request.varList);
    });
}

void Dates(const CString& text)
{
    krwfuzz::Tolerate([&] { FormatDisplayDate(ParseDisplayDate(text).m_dt); });
    krwfuzz::Tolerate([&] {
        SnmpDateAndTime date;
        date.FromText(text);
        date.ToText();
    });
    krwfuzz::Tolerate([&] { DateAndTimeOctets(text); });
}

void Options(FuzzedDataProvider& in, const CString& text)
{
    COptionList* options = krwfuzz::ConsumeOptions(in);
    if (options == nullptr)
        return;
    options->FindText(text);
    options->FindValue(text);
    options->TextToValue(options->ValueToText(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int conversion = in.ConsumeIntegralInRange(0, CONVERSION_COUNT - 1);
    const std::string bytes = in.ConsumeRandomLengthString();
    const CString text(bytes);
    switch (conversion) {
    case TO_OID:
        krwfuzz::Tolerate([&] { OidFromText(text).get_printable(); });
        break;
    case TO_OCTETS:
        krwfuzz::Tolerate([&] { OctetStrFromText(text); });
        break;
    case TO_VB:
        ValueThroughVb(in, text);
        break;
    case TO_INDEX:
    case FROM_INDEX:
        KeyBothWays(in, text, conversion == TO_INDEX);
        break;
    case DATES:
        Dates(text);
        break;
    default:
        Options(in, text);
        break;
    }
    return 0;
}
