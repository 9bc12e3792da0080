#include "tools/fetch/FetchVariables.h"

#include "snmpfw/Expression.h"
#include "snmpfw/Keywords.h"
#include "snmpfw/SnmpVarDef.h"
#include "snmpfw/ValueConversion.h"
#include "tools/fetch/FetchValueCheck.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <strings.h>

namespace {

// The framework spells it "guage"; both are taken.
const char kGaugeSpelling[] = "gauge";
const char kDerivedDefaultSyntax[] = "double";

// A keyword of one of the framework's lists (any letter case) to its code;
// -1 for a word the list does not have.
int KeywordCode(const COptionList& keywords, const std::string& word)
{
    const std::string spelled = ::strcasecmp(word.c_str(), kGaugeSpelling) == 0 ? "guage" : word;
    const int index = keywords.FindText(CString(spelled.c_str()));
    return index < 0 ? -1 : keywords.entries[index]->value.number;
}

std::vector<std::string> SplitAtColons(const std::string& text)
{
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        const size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos)
            return parts;
        start = colon + 1;
    }
}

// The syntaxes a derived number can be shown in.
bool IsNumberSyntax(int syntax)
{
    switch (syntax) {
    case SYNTAX_BOOLEAN:
    case SYNTAX_INTEGER:
    case SYNTAX_COUNTER:
    case SYNTAX_GUAGE:
    case SYNTAX_UINTEGER:
    case SYNTAX_COUNTER64:
    case SYNTAX_DOUBLE:
    case SYNTAX_TIMETICKS:
    case SYNTAX_BCDATETIME:
        return true;
    default:
        return false;
    }
}

bool IsDerived(const CFetchVariable& variable)
{
    return !variable.expression.empty();
}

// The syntaxes whose values can go into an expression with a minus sign.
bool CanBeNegative(int syntax)
{
    return syntax == SYNTAX_INTEGER || syntax == SYNTAX_DOUBLE || syntax == SYNTAX_BCDATETIME;
}

// A "$N" must name another VARIABLE that holds a number; a derived one must
// come before: the values of a row are derived in their order, so a later
// one would still hold the previous row's value (and no cycle can form).
void CheckReference(const std::vector<CFetchVariable>& variables, size_t position, size_t index,
                    const std::string& what)
{
    if (index >= variables.size() || index == position)
        throw CLI::ValidationError("VARIABLE", what + " names no other VARIABLE (they count from $0)");
    if (!IsNumberSyntax(variables[index].syntax))
        throw CLI::ValidationError("VARIABLE", what + " is not a number");
    if (IsDerived(variables[index]) && index > position)
        throw CLI::ValidationError("VARIABLE", what + " is derived after it: a derived value can use those before it");
}

// The expression with every reference replaced by a value it can take. The
// framework's evaluation reads malformed text as some number, so the text
// is checked by that evaluation itself, once with every value positive and
// once with the negative ones negative: "-$1" reads -(-48) as -48.
struct CSampleTexts {
    std::string positive;
    std::string negative;
};

void CheckSamples(const CSampleTexts& samples, const std::string& heading)
{
    if (!IsWellFormedArithmetic(CString(samples.positive.c_str())))
        throw CLI::ValidationError("VARIABLE", heading + ": not an expression of numbers, $N, NOW, + - * / and "
                                                         "parentheses");
    if (!IsWellFormedArithmetic(CString(samples.negative.c_str())))
        throw CLI::ValidationError("VARIABLE", heading + ": a $N that can be negative cannot follow a sign "
                                                         "(-$N, 2*-$N): write 0-$N");
}

// Every "$N" of a derived value's expression (a bare "$" is $0), then the
// expression as a whole.
void CheckExpression(const std::vector<CFetchVariable>& variables, size_t position)
{
    const std::string& expression = variables[position].expression;
    CSampleTexts samples;
    size_t copied = 0;
    for (size_t at = expression.find('$'); at != std::string::npos; at = expression.find('$', copied)) {
        size_t end = at + 1;
        while (end < expression.size() && std::isdigit(static_cast<unsigned char>(expression[end])))
            ++end;
        const std::string digits = expression.substr(at + 1, end - at - 1);
        const size_t index = digits.empty() ? 0 : digits.size() < 10 ? std::stoul(digits) : variables.size();
        CheckReference(variables, position, index, variables[position].heading + ": $" + digits);
        const std::string before = expression.substr(copied, at - copied);
        samples.positive += before + "1";
        samples.negative += before + (CanBeNegative(variables[index].syntax) ? "-1" : "1");
        copied = end;
    }
    samples.positive += expression.substr(copied);
    samples.negative += expression.substr(copied);
    CheckSamples(samples, variables[position].heading);
}

// =EXPRESSION[:SYNTAX]: a value computed from the other VARIABLEs of the row.
CFetchVariable ReadDerived(const std::string& text, size_t position, int keys)
{
    const std::vector<std::string> parts = SplitAtColons(text.substr(1));
    if (parts.size() > 2 || parts[0].empty())
        throw CLI::ValidationError("VARIABLE", text + ": not =EXPRESSION[:SYNTAX]");
    if (static_cast<int>(position) < keys)
        throw CLI::ValidationError("VARIABLE", text + ": an index column cannot be derived");
    CFetchVariable variable;
    variable.heading = "=" + parts[0];
    variable.expression = parts[0];
    variable.syntax = KeywordCode(SyntaxKeywords, parts.size() > 1 ? parts[1] : kDerivedDefaultSyntax);
    variable.access = ACCESS_DERIVED;
    if (!IsNumberSyntax(variable.syntax))
        throw CLI::ValidationError("VARIABLE", text + ": a derived value takes a syntax of numbers");
    return variable;
}

// OID[:SYNTAX[:ACCESS]], or OID:SYNTAX=VALUE for a set.
CFetchVariable ReadFetched(const std::string& text, bool set, bool key)
{
    CFetchVariable variable;
    std::string rest = text;
    if (set) {
        const size_t equals = rest.find('=');
        if (equals == std::string::npos)
            throw CLI::ValidationError("VARIABLE", text + ": a set needs OID:SYNTAX=VALUE");
        variable.value = rest.substr(equals + 1);
        rest = rest.substr(0, equals);
    }
    const std::vector<std::string> parts = SplitAtColons(rest);
    if (parts.size() > 3 || parts[0].empty())
        throw CLI::ValidationError("VARIABLE", text + ": not OID[:SYNTAX[:ACCESS]]");
    variable.oid = variable.heading = parts[0];
    const std::string syntax = parts.size() > 1 ? parts[1] : "displaystr";
    variable.syntax = KeywordCode(SyntaxKeywords, syntax);
    const char* access = set ? "readwrite" : key ? "notaccess" : "readonly";
    variable.access = KeywordCode(AccessKeywords, parts.size() > 2 ? parts[2] : access);
    if (variable.syntax < 0 || variable.access < 0)
        throw CLI::ValidationError("VARIABLE", text + ": unknown syntax or access keyword");
    const std::string takes = set ? CheckSetValue(variable.syntax, variable.value) : std::string();
    if (!takes.empty())
        throw CLI::ValidationError("VARIABLE", text + ": " + syntax + " takes " + takes);
    return variable;
}

std::string KeywordList(const OptionPair* table, bool (*shown)(int))
{
    std::string list;
    for (const OptionPair* pair = table; pair->text != nullptr; ++pair)
        if (shown(pair->value))
            list += std::string(list.empty() ? "" : ", ") + pair->text;
    return list;
}

}  // namespace

std::vector<CFetchVariable> ReadVariables(const std::vector<std::string>& texts, bool set, int keys)
{
    std::vector<CFetchVariable> variables;
    for (size_t i = 0; i < texts.size(); ++i) {
        const bool derived = !texts[i].empty() && texts[i][0] == '=';
        if (derived && set)
            throw CLI::ValidationError("VARIABLE", texts[i] + ": a derived value cannot be set");
        variables.push_back(derived ? ReadDerived(texts[i], i, keys)
                                    : ReadFetched(texts[i], set, static_cast<int>(i) < keys));
    }
    for (size_t i = 0; i < variables.size(); ++i)
        if (IsDerived(variables[i]))
            CheckExpression(variables, i);
    for (const CFetchVariable& variable : variables)
        if (set || (variable.access & ACCESS_READONLY) != 0)
            return variables;
    throw CLI::ValidationError("VARIABLE", "nothing to read: index columns and derived values are not asked for "
                                           "(give a column :SYNTAX:readonly to read it)");
}

std::string SyntaxKeywordList()
{
    return KeywordList(kSyntaxKeywordTable, [](int syntax) { return IsConvertibleSyntax(syntax); }) + " (" +
           kGaugeSpelling + " for guage)";
}

std::string AccessKeywordList()
{
    return KeywordList(kAccessKeywordTable, [](int) { return true; });
}
