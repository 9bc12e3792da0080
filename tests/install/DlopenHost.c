/*
 * A host that maps the plug-in the plain Linux way, dlopen and dlsym, past
 * the platform's module loader: the module is not started, so each retrieval
 * must fail at once, with exactly one report before the export returns, and
 * unmapping the module must be safe.
 *
 * Usage: dlopen-host PLUGIN
 */
#include "KRW6180Plug.h"

#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

static int reports = 0;
static int32_t lastStatus = -1;
static uint32_t lastContext = 0;

static void OnReport(const HostResult* result, int32_t count, const HostClientEntry* const* entries, uint32_t context)
{
    (void)entries;
    ++reports;
    lastStatus = result->status;
    lastContext = context;
    printf("status %d, %d clients, %s: %s\n", (int)result->status, (int)count, result->address, result->message);
}

/* ISO C has no conversion from an object pointer to a function pointer. */
static void* Export(void* module, const char* name)
{
    void* symbol = dlsym(module, name);
    if (symbol == NULL)
        fprintf(stderr, "no export %s\n", name);
    return symbol;
}

int main(int argc, char** argv)
{
    void* module;
    void* symbol;
    KRW6180PlugSetSnmpParameterFunction setParameters;
    KRW6180PlugGetClinetInforFunction getClients;
    uint32_t request;

    if (argc != 2 || (module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL)) == NULL) {
        fprintf(stderr, "cannot open the plug-in: %s\n", argc == 2 ? dlerror() : "usage: dlopen-host PLUGIN");
        return 2;
    }
    if ((symbol = Export(module, "KRW6180PlugSetSnmpParameter")) == NULL)
        return 2;
    memcpy(&setParameters, &symbol, sizeof setParameters);
    if ((symbol = Export(module, "KRW6180PlugGetClinetInfor")) == NULL)
        return 2;
    memcpy(&getClients, &symbol, sizeof getClients);

    setParameters(0, "public", "private", 161, 200);
    for (request = 1; request <= 2; ++request) {
        getClients("127.0.0.1", OnReport, 0, request);
        if (reports != (int)request || lastStatus != 1 || lastContext != request) {
            fprintf(stderr, "request %u: %d reports so far, the last with status %d\n", (unsigned)request, reports,
                    (int)lastStatus);
            return 1;
        }
    }
    return dlclose(module) == 0 ? 0 : 1;
}
