// snmpfw-fetch: reads scalars or walks a table of any SNMP agent through
// the framework (its session, request engine, conversions and derived
// values), or sets variables, and prints the display texts. Failures print
// the framework's catalogue text on standard error and exit 1 (a walk shows
// the rows it read before), as does output that cannot be written; a walk
// that reaches --max-rows before the end of the table exits 3; bad usage
// exits 2.

#include "common/QvException.h"
#include "common/SnmpStatus.h"
#include "platform/Afx.h"
#include "snmpfw/SnmpRequest.h"
#include "snmpfw/SnmpSession.h"
#include "snmplib/SnmpErrors.h"
#include "tools/cli/CliOutput.h"
#include "tools/fetch/FetchOptions.h"
#include "tools/fetch/FetchOutput.h"
#include "tools/fetch/FetchRequest.h"

#include <memory>

namespace {

const char kProgram[] = "snmpfw-fetch";
// What a derived item stands for in the definitions' OID: it is never asked for.
const char kDerivedOid[] = "0.0";

// The one set request's outcome; a completion gets only a 32-bit value.
struct CSetOutcome {
    bool done = false;
    int code = 0;
    CString message;
    std::vector<std::string> values;
} g_setOutcome;

std::vector<std::string> ValuesOf(const CSnmpVarList& list)
{
    std::vector<std::string> values;
    for (int i = 0; i < list.count; ++i)
        values.emplace_back(static_cast<const char*>(*list.GetItem(i)->value));
    return values;
}

void OnSetDone(CSnmpResult* result, CSnmpVarList* list, DWORD)
{
    g_setOutcome.done = true;
    g_setOutcome.code = result->code;
    g_setOutcome.message = result->message;
    g_setOutcome.values = ValuesOf(*list);
}

bool StartSession()
{
    char directory[MAX_PATH + 1] = "";
    const DWORD length = GetTempPathA(sizeof directory, directory);
    if (length == 0 || length >= sizeof directory)
        directory[0] = '\0';
    try {
        CSnmpSession::Start(CString(directory), CString(""));
        return true;
    } catch (CQVException* e) {
        fprintf(stderr, "%s\n", static_cast<const char*>(e->GetText()));
        e->Delete();
        return false;
    }
}

// Runs the thread's message loop until the set has completed, within a
// bound of every attempt's time-out twice over.
void WaitForSet(const CSnmpTargetParams& target)
{
    const UINT bound = static_cast<UINT>(target.timeout) * 10 * static_cast<UINT>(target.retries + 1) * 2 + 1000;
    const UINT_PTR guard = ::SetTimer(nullptr, 0, bound, nullptr);
    MSG msg;
    while (!g_setOutcome.done && ::GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == guard)
            break;
        ::DispatchMessage(&msg);
    }
    ::KillTimer(nullptr, guard);
}

// Walks the table one row per request, up to the bound of rows; false when
// the bound ended it before the table did.
bool Walk(const CFetchOptions& options, CFetchRequest& request, CFetchPrinter& printer)
{
    int rows = 0;
    for (BOOL more = request.Get(TRUE); more; request.ForgetExceptions(), more = request.Get(FALSE)) {
        if (rows++ == options.maxRows)
            return false;
        printer.Row(request.Values());
    }
    return true;
}

// Throws the framework's exceptions.
int Fetch(const CFetchOptions& options, CFetchRequest& request, CFetchPrinter& printer)
{
    if (options.set) {
        request.AsyncSet(OnSetDone, TRUE, CString(), nullptr, 0);
        WaitForSet(options.target);
        if (!g_setOutcome.done)
            TranslateSnmpStatus(SNMP_CLASS_TIMEOUT, g_setOutcome.code, g_setOutcome.message);
        if (g_setOutcome.code != 0)
            ThrowQVException(g_setOutcome.code, g_setOutcome.message);
        printer.Row(g_setOutcome.values);
        return 0;
    }
    if (options.walkKeys < 0) {
        request.Get(TRUE);
        printer.Row(request.Values());
        return 0;
    }
    if (Walk(options, request, printer))
        return 0;
    fprintf(stderr, "snmpfw-fetch: the walk stopped after %d rows (--max-rows)\n", options.maxRows);
    return 3;
}

int Run(const CFetchOptions& options)
{
    std::vector<CSnmpVarDef> definitions;
    std::vector<std::string> columns;
    for (const CFetchVariable& v : options.variables) {
        const bool derived = !v.expression.empty();
        definitions.push_back({derived ? kDerivedOid : v.oid.c_str(), v.heading.c_str(), v.syntax, v.access, nullptr,
                               derived ? v.expression.c_str() : nullptr, nullptr, nullptr, nullptr, nullptr});
        columns.push_back(v.heading);
    }
    definitions.push_back({});
    const bool walk = options.walkKeys >= 0;
    CFetchRequest request;
    request.targetParams = options.target;
    request.varList = CSnmpVarList(definitions.data(), walk ? MVT_FMV : MVT_SV, walk ? options.walkKeys : 0);
    for (size_t i = 0; i < options.variables.size(); ++i)
        *request.varList.GetItem(static_cast<int>(i))->value = options.variables[i].value.c_str();
    CFetchPrinter printer(options.format, columns, walk, stdout);
    int status = 1;
    try {
        status = Fetch(options, request, printer);
        printer.Finish(false);
    } catch (CQVException* e) {
        printer.Finish(true);
        fprintf(stderr, "%s\n", static_cast<const char*>(e->GetText()));
        e->Delete();
    }
    return CloseOutput(stdout, kProgram) ? status : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    CFetchOptions options;
    const int usage = ParseFetchOptions(argc, argv, &options);
    if (usage >= 0)
        return CloseOutput(stdout, kProgram) ? usage : 1;  // the help may have been lost
    const int result = StartSession() ? Run(options) : 1;
    // Also after a failed start: a Snmp object that was created goes here.
    CSnmpSession::Stop();
    return result;
}
