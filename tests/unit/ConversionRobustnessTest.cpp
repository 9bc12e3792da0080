#include "common/QvErrors.h"
#include "snmpfw/OptionList.h"
#include "snmpfw/SnmpRequest.h"
#include "snmpfw/ValueConversion.h"
#include "snmplib/SnmpLib.h"
#include "tests/support/RaisedCode.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

// Random bindings, instances and texts from an agent or a user: every
// conversion either raises the bad-syntax error or produces a text of its
// syntax's form, and reads nothing outside what it was given.
namespace {

using krwtest::RaisedCode;

const int kSyntaxes[] = {0,
                         SYNTAX_BOOLEAN,
                         SYNTAX_INTEGER,
                         SYNTAX_BITSTR,
                         SYNTAX_OCTETSTR,
                         SYNTAX_NULL,
                         SYNTAX_OBJECTID,
                         7,
                         SYNTAX_IPADDRESS,
                         SYNTAX_COUNTER,
                         SYNTAX_GUAGE,
                         SYNTAX_TIMETICKS,
                         SYNTAX_OPAQUE,
                         SYNTAX_NSAPADDR,
                         SYNTAX_COUNTER64,
                         SYNTAX_UINTEGER,
                         SYNTAX_DOUBLE,
                         SYNTAX_MACADDRESS,
                         SYNTAX_DATETIME,
                         SYNTAX_BCDATETIME,
                         SYNTAX_DISPLAYSTR,
                         77,
                         SYNTAX_BOOL8,
                         SYNTAX_INT8,
                         SYNTAX_UINT8,
                         SYNTAX_BOOL16,
                         SYNTAX_INT16,
                         SYNTAX_UINT16,
                         -1};
const SmiUINT32 kEdgeSubIds[] = {0, 1, 2, 3, 4, 6, 11, 127, 255, 256, 65535, 2147483648UL, 4294967295UL};

const OptionPair kBandPairs[] = {{1, "5GHz"}, {2, "2.4GHz"}, {0, nullptr}};
const OptionTextPair kHexPairs[] = {{"0A", "ten"}, {"(NULL)", "none"}, {nullptr, nullptr}};
const OptionTextPair kPrefixPairs[] = {{"1.3", "iso"}, {"", "any"}, {nullptr, nullptr}};
COptionList bandList(kBandPairs, COptionList::KIND_INTEGER, false);
COptionList hexList(kHexPairs, COptionList::KIND_STRING, true);
COptionList prefixList(kPrefixPairs, COptionList::KIND_PREFIX, false);
COptionList* const Options[] = {nullptr, nullptr, &bandList, &hexList, &prefixList};

template <typename T>
const T& Pick(std::mt19937& random, const T* items, size_t count)
{
    return items[std::uniform_int_distribution<size_t>(0, count - 1)(random)];
}
#define PICK(random, array) Pick(random, array, sizeof array / sizeof array[0])

SmiUINT32 RandomSubId(std::mt19937& random)
{
    return random() % 2 ? PICK(random, kEdgeSubIds) : static_cast<SmiUINT32>(random());
}

Oid RandomOid(std::mt19937& random, unsigned long maxLength)
{
    Oid oid;
    for (unsigned long n = random() % (maxLength + 1); n > 0; --n)
        oid += RandomSubId(random);
    return oid;
}

std::vector<unsigned char> RandomOctets(std::mt19937& random, size_t maxLength)
{
    std::vector<unsigned char> octets(random() % (maxLength + 1));
    for (unsigned char& octet : octets)
        octet = static_cast<unsigned char>(random() % 3 == 0 ? 0 : random());
    return octets;
}

Vb RandomVb(std::mt19937& random)
{
    Vb vb;
    const unsigned long long wide = (static_cast<unsigned long long>(random()) << 32) | random();
    switch (random() % 12) {
    case 0:
        vb.set_value(static_cast<int>(random()));
        break;
    case 1:
        vb.set_value(Counter32(random()));
        break;
    case 2:
        vb.set_value(Gauge32(random()));
        break;
    case 3:
        vb.set_value(TimeTicks(random()));
        break;
    case 4:
        vb.set_value(Counter64(wide));
        break;
    case 5:
        vb.set_value(RandomOid(random, 20));
        break;
    case 6:
        vb.set_value(IpAddress(std::to_string(random() % 256) + ".0.2." + std::to_string(random() % 256)));
        break;
    case 7:
        vb.set_exception_status(0x80 + random() % 3);
        break;
    case 8:
        break;  // null
    default: {
        const std::vector<unsigned char> octets = RandomOctets(random, 40);
        vb.set_value(octets.data(), static_cast<unsigned long>(octets.size()));
        const SmiUINT32 octetSyntaxes[] = {sNMP_SYNTAX_OCTETS, sNMP_SYNTAX_OPAQUE, sNMP_SYNTAX_BITS};
        vb.set_syntax(PICK(random, octetSyntaxes));
    }
    }
    if (random() % 16 == 0)
        vb.set_syntax(random() % 256);  // a type tag the value does not carry
    return vb;
}

// The forms of a value text, by syntax; "(NULL)" stands for any value that
// could not be read.
std::string FormOf(int syntax)
{
    const std::string clock = "\\d{1,2}:\\d\\d:\\d\\d\\.\\d\\d";
    switch (syntax) {
    case SYNTAX_NULL:
        return "";
    case SYNTAX_BOOLEAN:
        return "true|false";
    case SYNTAX_INTEGER:
        return "-?\\d{1,10}";
    case SYNTAX_COUNTER:
    case SYNTAX_GUAGE:
    case SYNTAX_UINTEGER:
        return "\\d{1,10}";
    case SYNTAX_COUNTER64:
        return "\\d{1,20}";
    case SYNTAX_TIMETICKS:
        return clock + "|1 day " + clock + "|\\d+ days, " + clock;
    case SYNTAX_DOUBLE:
        return "-?(\\d+\\.\\d{6}|nan|inf)";
    case SYNTAX_OBJECTID:
        return "\\d+(\\.\\d+)*|";
    case SYNTAX_IPADDRESS:
    case SYNTAX_NSAPADDR:
        return "\\d{1,3}(\\.\\d{1,3}){3}";
    case SYNTAX_DATETIME:
        return "\\d+-\\d+-\\d+,\\d+:\\d+:\\d+\\.\\d+";
    case SYNTAX_BCDATETIME:
        return "\\d{3,4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d (AM|PM)|Invalid DateTime";
    case SYNTAX_DISPLAYSTR:
        return "[^]*";
    default:
        return "([0-9A-F]{2})*";
    }
}

void ExpectForm(int syntax, const CString& text)
{
    const std::string shown(text, static_cast<size_t>(text.GetLength()));
    static std::map<int, std::regex> forms;
    auto known = forms.find(syntax);
    if (known == forms.end())
        known = forms.emplace(syntax, std::regex("\\(NULL\\)|" + FormOf(syntax), std::regex::optimize)).first;
    EXPECT_TRUE(std::regex_match(shown, known->second)) << "syntax " << syntax << ": '" << shown << "'";
}

CSnmpVarList ListOf(int syntax0, int syntax1, bool implied, COptionList* options)
{
    const CSnmpVarDef table[] = {
        {"1.3.6.1.4.1.32473.3.1", "k0", syntax0, ACCESS_READONLY, options, nullptr, nullptr, nullptr, nullptr, nullptr},
        {"1.3.6.1.4.1.32473.3.2", "k1", syntax1, ACCESS_READONLY | (implied ? ACCESS_IMPLIED : 0), options, nullptr,
         nullptr, nullptr, nullptr, nullptr},
        {nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    return CSnmpVarList(table, MVT_FMV, 2);
}

TEST(ConversionRobustness, VbToTextGivesTheFormOfTheSyntaxOrRaisesBadSyntax)
{
    std::mt19937 random(61801);
    for (int round = 0; round < 6000; ++round) {
        const int syntax = PICK(random, kSyntaxes);
        COptionList* const options = PICK(random, Options);
        const Vb vb = RandomVb(random);
        CSnmpRequest request;
        CSnmpVarList plain = ListOf(syntax, syntax, false, nullptr);
        CSnmpVarList listed = ListOf(syntax, syntax, false, options);
        *plain.GetItem(0)->value = "old";
        const int code = RaisedCode([&] { request.VbToText(0, vb, plain); });
        if (!IsConvertibleSyntax(syntax)) {
            ASSERT_EQ(QV_ERR_BAD_SYNTAX, code);
            ASSERT_EQ(CString("old"), *plain.GetItem(0)->value);
            continue;
        }
        ASSERT_EQ(0, code) << "syntax " << syntax << " value '" << vb.get_printable_value() << "'";
        ExpectForm(syntax, *plain.GetItem(0)->value);
        ASSERT_EQ(0, RaisedCode([&] { request.VbToText(0, vb, listed); }));
        const CString expected = options ? options->ValueToText(*plain.GetItem(0)->value) : *plain.GetItem(0)->value;
        ASSERT_EQ(expected, *listed.GetItem(0)->value);
    }
}

// Keys whose value text encodes back to the sub-identifiers it came from.
bool RoundTrips(int syntax)
{
    return syntax != SYNTAX_TIMETICKS && syntax != SYNTAX_COUNTER64 && syntax != SYNTAX_DOUBLE &&
           syntax != SYNTAX_BCDATETIME;
}

std::string TailOf(const Oid& oid, unsigned long from)
{
    Oid tail;
    for (unsigned long i = from; i < oid.len(); ++i)
        tail += oid[i];
    return tail.to_string();
}

TEST(ConversionRobustness, IndexToTextStaysInsideTheInstanceAndRoundTrips)
{
    std::mt19937 random(61802);
    for (int round = 0; round < 4000; ++round) {
        const int syntaxes[2] = {PICK(random, kSyntaxes), PICK(random, kSyntaxes)};
        const bool implied = random() % 2 != 0;
        const bool wellFormed = random() % 8 != 0;
        const Oid instanceOid = RandomOid(random, 20);
        const CString printed = instanceOid.get_printable();
        CString rest = wellFormed ? printed : CString(".1..x.") + printed;
        CSnmpRequest request;
        COptionList* const options = random() % 4 ? nullptr : &bandList;
        CSnmpVarList list = ListOf(syntaxes[0], syntaxes[1], implied, options);
        for (int key = 0; key < 2; ++key) {
            const int syntax = syntaxes[key];
            const CString instance = rest;
            const int code = RaisedCode([&] { rest = request.IndexToText(key, instance, list); });
            if (!IsConvertibleSyntax(syntax)) {
                ASSERT_EQ(QV_ERR_BAD_SYNTAX, code);
                break;
            }
            ASSERT_EQ(0, code);
            const Oid before = Oid(static_cast<const char*>(instance));
            const Oid after = Oid(static_cast<const char*>(rest));
            ASSERT_LE(after.len(), before.len());
            ASSERT_EQ(TailOf(before, before.len() - after.len()), std::string(rest)) << "instance " << instance;
            const CString value = *list.GetItem(key)->value;
            const bool impliedOid = key == 1 && implied && syntax == SYNTAX_OBJECTID;
            if (options == nullptr && !impliedOid)
                ExpectForm(syntax, value);
            // An option list of another syntax's values need not map back.
            if (options || !wellFormed || !RoundTrips(syntax) || (value == "(NULL)" && syntax != SYNTAX_NULL))
                continue;
            CString encoded;
            ASSERT_EQ(0, RaisedCode([&] { request.TextToIndex(key, encoded, list); }));
            ASSERT_EQ(CString(""), request.IndexToText(key, encoded, list)) << "encoded " << encoded;
            ASSERT_EQ(value, *list.GetItem(key)->value) << "syntax " << syntax << " encoded " << encoded;
        }
    }
}

CString RandomText(std::mt19937& random)
{
    const char* const pieces[] = {"0",          "7",
                                  "-",          ".",
                                  ",",          ":",
                                  "/",          " ",
                                  "+",          "e",
                                  "A",          "f",
                                  "g",          "x",
                                  "(NULL)",     "true",
                                  "nan",        "99999999999999999999",
                                  "4294967296", "2008-1-2,3:4:5.6"};
    std::string text;
    for (unsigned long n = random() % 12; n > 0; --n)
        text +=
            random() % 4 ? std::string(PICK(random, pieces)) : std::string(1, static_cast<char>(1 + random() % 255));
    return CString(text.c_str());
}

TEST(ConversionRobustness, TextToVbOfItsOwnOutputIsStable)
{
    std::mt19937 random(61803);
    for (int round = 0; round < 6000; ++round) {
        const int syntax = PICK(random, kSyntaxes);
        CSnmpRequest request;
        request.varList = ListOf(syntax, syntax, false, random() % 4 ? nullptr : PICK(random, Options));
        // Address texts other than dotted quads would be looked up as host names.
        const bool address = syntax == SYNTAX_IPADDRESS || syntax == SYNTAX_NSAPADDR;
        CString text = !address       ? RandomText(random)
                       : random() % 5 ? CString((std::to_string(random() % 256) + ".0.2.1").c_str())
                                      : CString(kNullValueText);
        std::vector<CString> shown;
        for (int pass = 0; pass < 3; ++pass) {
            *request.varList.GetItem(0)->value = text;
            Vb vb;
            const int code = RaisedCode([&] {
                request.TextToVb(0, vb);
                request.VbToText(0, vb, request.varList);
            });
            if (!IsConvertibleSyntax(syntax)) {
                ASSERT_EQ(QV_ERR_BAD_SYNTAX, code);
                break;
            }
            ASSERT_EQ(0, code);
            text = *request.varList.GetItem(0)->value;
            shown.push_back(text);
        }
        if (shown.size() == 3 && syntax != SYNTAX_TIMETICKS) {
            ASSERT_EQ(shown[1], shown[2]) << "syntax " << syntax << " first '" << shown[0] << "'";
        }
    }
}

TEST(ConversionRobustness, TextToIndexWritesDottedSubIdentifiersOfTheKeysForm)
{
    std::mt19937 random(61804);
    for (int round = 0; round < 6000; ++round) {
        const int syntax = PICK(random, kSyntaxes);
        const bool implied = random() % 2 != 0;
        CSnmpVarList list = ListOf(syntax, syntax, implied, nullptr);
        const bool address = syntax == SYNTAX_IPADDRESS || syntax == SYNTAX_NSAPADDR;
        *list.GetItem(1)->value = address ? CString("10.1.2.3") : RandomText(random);
        CSnmpRequest request;
        CString output = "old";
        const int code = RaisedCode([&] { request.TextToIndex(1, output, list); });
        if (!IsConvertibleSyntax(syntax)) {
            ASSERT_EQ(QV_ERR_BAD_SYNTAX, code);
            ASSERT_EQ(CString("old"), output);
            continue;
        }
        ASSERT_EQ(0, code);
        const Oid subIds(static_cast<const char*>(output));
        ASSERT_EQ(std::string(output), subIds.to_string()) << "syntax " << syntax;
        const bool octets = syntax == SYNTAX_BITSTR || syntax == SYNTAX_OCTETSTR || syntax == SYNTAX_OPAQUE ||
                            syntax == SYNTAX_DISPLAYSTR || syntax == SYNTAX_MACADDRESS || syntax == SYNTAX_DATETIME;
        const bool counted = !implied && syntax != SYNTAX_MACADDRESS && syntax != SYNTAX_DATETIME;
        if (!octets)
            continue;
        if (counted) {
            ASSERT_EQ(subIds.len() - 1, subIds[0]) << "output " << output;
        }
        for (unsigned long i = counted ? 1 : 0; i < subIds.len(); ++i)
            ASSERT_LE(subIds[i], 255U) << "output " << output;
    }
}

}  // namespace
