/*
 * The Windows test host of the module: loads the DLL as a management host
 * does and drives its exports through their pointer types. Run under Wine
 * by tests/windows/wine-tests.sh.
 *
 *   krw6180-testhost clients DLL PORT TIMEOUT ADDRESS...
 *       one retrieval per address, all at once; the clients on standard
 *       output as krw6180-clients -f csv prints them, one line per report on
 *       standard error ("report ADDRESS STATUS MESSAGE"), then the time
 *       from the first request to the last report ("round SECONDS s").
 *       Exit 0 all completed, 1 one failed, 3 one sent no report, 4 the
 *       stack moved across the export calls, 5 a report for no request.
 *   krw6180-testhost unload DLL PORT ADDRESS
 *       starts a retrieval and unloads the module at once, then runs the
 *       message loop for two seconds. Exit 0 when no report came after
 *       FreeLibrary returned.
 *   krw6180-testhost twice DLL
 *       loads the module twice: exit 0 when both loads give the same handle
 *       and the engine-boots counter grew by one.
 *   krw6180-testhost load DLL [TEMPFOLDER]
 *       loads the module with TMP and TEMP set to TEMPFOLDER; prints the
 *       time it took and the engine-boots file. Exit 0 loaded, 1 refused.
 */
#include <windows.h>

#include "KRW6180Plug.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_ADDRESSES 256
/* Every wait of the host is bounded. */
#define WAIT_MILLISECONDS 60000

static const char* addresses[MAX_ADDRESSES];
static int reportsOf[MAX_ADDRESSES];
static int addressCount;
static int reports;
static int failed;
static int strangers;

/* Everything handed over belongs to the module: it is printed at once. */
static void OnReport(const HostResult* result, int32_t count, const HostClientEntry* const* entries, uint32_t context)
{
    int32_t i;
    ++reports;
    if (context >= (uint32_t)addressCount || strcmp(result->address, addresses[context]) != 0) {
        ++strangers;
        return;
    }
    ++reportsOf[context];
    failed += result->status != 0;
    fprintf(stderr, "report %s %d %s\n", result->address, (int)result->status, result->message);
    for (i = 0; i < count; ++i)
        printf("%s,%s,%s,%s,%d,%s,%s\n", result->address, entries[i]->macAddress, entries[i]->band,
               entries[i]->authentication, (int)entries[i]->rssi, entries[i]->powerSave, entries[i]->ssidIndex);
}

static HMODULE Load(const char* path)
{
    HMODULE module = LoadLibraryA(path);
    if (module == NULL)
        fprintf(stderr, "cannot load %s: error %lu\n", path, (unsigned long)GetLastError());
    return module;
}

static int Exports(HMODULE module, KRW6180PlugSetSnmpParameterFunction* set, KRW6180PlugGetClinetInforFunction* get)
{
    *set = (KRW6180PlugSetSnmpParameterFunction)GetProcAddress(module, "KRW6180PlugSetSnmpParameter");
    *get = (KRW6180PlugGetClinetInforFunction)GetProcAddress(module, "KRW6180PlugGetClinetInfor");
    return *set != NULL && *get != NULL;
}

/* Where a fresh frame of the caller's stack begins: the same on every call
 * from one place unless a call before it left the stack moved. */
static __attribute__((noinline)) uintptr_t StackMark(void)
{
    volatile char mark = 0;
    return (uintptr_t)&mark;
}

/* Runs the thread's message loop until done() or the time is up. */
static void PumpUntil(int (*done)(void), DWORD milliseconds)
{
    MSG msg;
    const UINT_PTR deadline = SetTimer(NULL, 0, milliseconds, NULL);
    while (!done() && GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == NULL && msg.wParam == deadline)
            break;
        DispatchMessageA(&msg);
    }
    KillTimer(NULL, deadline);
}

static int AllReported(void)
{
    return reports >= addressCount;
}

static int Never(void)
{
    return 0;
}

static int Clients(const char* dll, int port, int timeout, int count, char** list)
{
    KRW6180PlugSetSnmpParameterFunction set;
    KRW6180PlugGetClinetInforFunction get;
    uintptr_t mark;
    LARGE_INTEGER frequency, start, end;
    int i;
    HMODULE module = Load(dll);
    if (module == NULL || !Exports(module, &set, &get))
        return 2;
    addressCount = count < MAX_ADDRESSES ? count : MAX_ADDRESSES;
    /* A hundred calls: an export that leaves its arguments behind (or takes
     * more) moves the stack by at least 16 bytes each time. */
    mark = StackMark();
    for (i = 0; i < 100; ++i)
        set(0, "public", "private", port, timeout);
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (i = 0; i < addressCount; ++i) {
        addresses[i] = list[i];
        get(addresses[i], OnReport, 0, (uint32_t)i);
    }
    if (StackMark() != mark) {
        fprintf(stderr, "the stack moved across the export calls\n");
        return 4;
    }
    PumpUntil(AllReported, WAIT_MILLISECONDS);
    QueryPerformanceCounter(&end);
    fprintf(stderr, "round %.3f s\n", (double)(end.QuadPart - start.QuadPart) / (double)frequency.QuadPart);
    FreeLibrary(module);
    if (strangers > 0)
        return 5;
    for (i = 0; i < addressCount; ++i) {
        if (reportsOf[i] != 1) {
            fprintf(stderr, "%s: %d reports\n", addresses[i], reportsOf[i]);
            return 3;
        }
    }
    return failed > 0 ? 1 : 0;
}

static int Unload(const char* dll, int port, const char* address)
{
    KRW6180PlugSetSnmpParameterFunction set;
    KRW6180PlugGetClinetInforFunction get;
    int during;
    HMODULE module = Load(dll);
    if (module == NULL || !Exports(module, &set, &get))
        return 2;
    addresses[0] = address;
    addressCount = 1;
    set(0, "public", "private", port, 500);
    get(address, OnReport, 0, 0);
    /* The unload waits for the request in flight, whose end may report. */
    FreeLibrary(module);
    during = reports;
    PumpUntil(Never, 2000);
    printf("reports during the unload %d, after it %d\n", during, reports - during);
    return reports == during ? 0 : 1;
}

/* The engine-boots counter in the temporary folder, or -1 without one. */
static long BootCounter(void)
{
    char path[MAX_PATH + 32];
    char line[512];
    long counter = -1;
    FILE* file;
    const DWORD length = GetTempPathA(MAX_PATH, path);
    if (length == 0 || length >= MAX_PATH)
        return -1;
    strcat(path, "QvSNMP_PP_BootCounter");
    file = fopen(path, "r");
    if (file == NULL)
        return -1;
    while (fgets(line, sizeof line, file) != NULL) {
        const char* blank = strchr(line, ' ');
        if (line[0] != '#' && blank != NULL)
            counter = strtol(blank + 1, NULL, 10);
    }
    fclose(file);
    return counter;
}

static int Twice(const char* dll)
{
    const long before = BootCounter();
    HMODULE first = Load(dll);
    HMODULE second = Load(dll);
    const long after = BootCounter();
    printf("handles %s, boots %ld then %ld\n", first == second ? "equal" : "different", before, after);
    if (first != NULL)
        FreeLibrary(first);
    if (second != NULL)
        FreeLibrary(second);
    return first != NULL && first == second && after == (before < 0 ? 1 : before + 1) ? 0 : 1;
}

static int LoadOnce(const char* dll, const char* temp)
{
    char folder[MAX_PATH];
    LARGE_INTEGER frequency, start, end;
    HMODULE module;
    if (temp != NULL && (!SetEnvironmentVariableA("TMP", temp) || !SetEnvironmentVariableA("TEMP", temp)))
        return 2;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    module = Load(dll);
    QueryPerformanceCounter(&end);
    if (module == NULL)
        return 1;
    GetTempPathA(sizeof folder, folder);
    printf("loaded in %.1f ms; temporary folder %s; boots %ld\n",
           (double)(end.QuadPart - start.QuadPart) * 1000.0 / (double)frequency.QuadPart, folder, BootCounter());
    FreeLibrary(module);
    return 0;
}

int main(int argc, char** argv)
{
    /* Lines end in LF, as krw6180-clients writes them. */
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    setvbuf(stdout, NULL, _IONBF, 0);
    if (argc >= 6 && strcmp(argv[1], "clients") == 0)
        return Clients(argv[2], atoi(argv[3]), atoi(argv[4]), argc - 5, argv + 5);
    if (argc == 5 && strcmp(argv[1], "unload") == 0)
        return Unload(argv[2], atoi(argv[3]), argv[4]);
    if (argc == 3 && strcmp(argv[1], "twice") == 0)
        return Twice(argv[2]);
    if ((argc == 3 || argc == 4) && strcmp(argv[1], "load") == 0)
        return LoadOnce(argv[2], argc == 4 ? argv[3] : NULL);
    fprintf(stderr,
            "usage: %s clients DLL PORT TIMEOUT ADDRESS... | unload DLL PORT ADDRESS | twice DLL | load DLL "
            "[TEMPFOLDER]\n",
            argv[0]);
    return 2;
}
