/*
 * A management host of one's own, as small as it gets: loads the plug-in,
 * asks one access point for its clients and prints them.
 *
 * The same source builds on Windows against <windows.h> and here against
 * the platform library's header that stands in for it, both as C:
 *
 *     cc -std=c11 ListClients.c $(pkg-config --cflags --libs krw6180plug)
 *
 * Usage: list-clients-example PLUGIN ADDRESS [PORT]   (PLUGIN: libkrw6180plug.so, or its path)
 */
#ifdef _WIN32
#include <windows.h>
#else
#include "KRW6180Host.h"
#endif
#include "KRW6180Plug.h"

#include <stdio.h>
#include <stdlib.h>

static int reported = 0;

/* Everything handed over here belongs to the plug-in: copy what you keep. */
static void OnReport(const HostResult* result, int32_t count, const HostClientEntry* const* entries, uint32_t context)
{
    int32_t i;
    printf("%s (%s), request %u: %s\n", result->address, result->model, (unsigned)context, result->message);
    for (i = 0; i < count; ++i)
        printf("  %s %-6s %-16s %4d %-3s %s\n", entries[i]->macAddress, entries[i]->band, entries[i]->authentication,
               (int)entries[i]->rssi, entries[i]->powerSave, entries[i]->ssidIndex);
    reported = 1;
}

int main(int argc, char** argv)
{
    HMODULE plugin;
    KRW6180PlugSetSnmpParameterFunction setParameters;
    KRW6180PlugGetClinetInforFunction getClients;
    UINT_PTR deadline;
    MSG msg;

    if (argc < 3) {
        fprintf(stderr, "usage: %s PLUGIN ADDRESS [PORT]\n", argv[0]);
        return 2;
    }
    plugin = LoadLibraryA(argv[1]);
    if (plugin == NULL) {
        fprintf(stderr, "cannot load %s\n", argv[1]);
        return 2;
    }
    setParameters = (KRW6180PlugSetSnmpParameterFunction)GetProcAddress(plugin, "KRW6180PlugSetSnmpParameter");
    getClients = (KRW6180PlugGetClinetInforFunction)GetProcAddress(plugin, "KRW6180PlugGetClinetInfor");
    if (setParameters == NULL || getClients == NULL) {
        FreeLibrary(plugin);
        return 2;
    }

    /* Communities, port, and two seconds for each request. */
    setParameters(0, "public", "private", argc > 3 ? atoi(argv[3]) : 161, 200);
    getClients(argv[2], OnReport, 0, 1);

    /* The report comes from this thread's message loop; a walk that fails
     * half-way sends none, so the wait has an end. */
    deadline = SetTimer(NULL, 0, 60000, NULL);
    while (!reported && GetMessage(&msg, NULL, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == NULL && msg.wParam == deadline)
            break;
        DispatchMessage(&msg);
    }
    KillTimer(NULL, deadline);
    FreeLibrary(plugin);
    return reported ? 0 : 3;
}
