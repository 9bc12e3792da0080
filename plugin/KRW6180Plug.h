/*
 * The KRW-6180 client-information plug-in as a management host sees it: two
 * exported functions, the callback through which results come back, and
 * the two records handed to that callback. C and C++.
 *
 * Load the module (on Linux with the platform library's LoadLibraryA,
 * KRW6180Host.h), call KRW6180PlugSetSnmpParameter once, then
 * KRW6180PlugGetClinetInfor whenever a fresh client list is wanted, and run
 * the loading thread's message loop: every report comes from there. Every
 * record, array and text handed to the callback belongs to the module and
 * is valid only during the call; copy what you need.
 *
 * The names of the exports, "Clinet" and "Infor" included, are the ones
 * management hosts look up: they are spelt as the host contract has them
 * and must not be corrected.
 */
#ifndef KRW6180PLUG_H
#define KRW6180PLUG_H

#include <stddef.h>
#include <stdint.h>

/* The exports remove their own arguments, as the Windows API does. */
#if defined(_M_IX86)
#define KRW6180PLUG_API __stdcall
#elif defined(__i386__) && defined(__GNUC__)
#define KRW6180PLUG_API __attribute__((stdcall))
#else
#define KRW6180PLUG_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* What a retrieval ended with. */
typedef struct HostResult {
    int32_t status;      /* 0 completed, 1 failed */
    const char* message; /* "(VaZARO++) Ok!" or the failure's text */
    const char* address; /* dotted IPv4 address of the agent; the address as given when the start failed */
    uint32_t reserved;
    const char* model; /* "KRW-6180" */
} HostResult;

/* One associated client. */
typedef struct HostClientEntry {
    uint32_t reserved0;
    const char* band;       /* the access point's band: "2.4GHz", "5GHz", or empty when it could not be read */
    const char* macAddress; /* twelve upper-case hexadecimal digits */
    uint32_t reserved1;
    const char* authentication; /* e.g. "WPA2-Personal" */
    int32_t rssi;
    const char* powerSave; /* "Off" or "On" */
    const char* ssidIndex;
    uint32_t reserved2;
} HostClientEntry;

/* Implemented by the host; the module removes the arguments after the call.
 * entries is null when count is 0; context is the fourth argument of the
 * KRW6180PlugGetClinetInfor call that started the retrieval. */
typedef void (*HostCallback)(const HostResult* result, int32_t count, const HostClientEntry* const* entries,
                             uint32_t context);

/* Stores the SNMP parameters of later retrievals: communities (copied), UDP
 * port (its low 16 bits) and a time budget in hundredths of a second per
 * request. The address is accepted and not used. Always returns 0. */
int32_t KRW6180PLUG_API KRW6180PlugSetSnmpParameter(uint32_t address, const char* readCommunity,
                                                    const char* writeCommunity, int32_t port, int32_t timeout);

/* Starts one retrieval of the clients of the access point at address (dotted
 * IPv4 address or host name) and returns at once. The report comes later
 * through callback, or before the return when the retrieval cannot start.
 * The third argument is not read. */
void KRW6180PLUG_API KRW6180PlugGetClinetInfor(const char* address, HostCallback callback, uint32_t ignored,
                                               uint32_t context);

/* The exports' types, for GetProcAddress. */
typedef int32_t(KRW6180PLUG_API* KRW6180PlugSetSnmpParameterFunction)(uint32_t, const char*, const char*, int32_t,
                                                                      int32_t);
typedef void(KRW6180PLUG_API* KRW6180PlugGetClinetInforFunction)(const char*, HostCallback, uint32_t, uint32_t);

#ifdef __cplusplus
}
#endif

/* The host reads the records by offset: on 32-bit x86 they are exactly these. */
#if defined(__i386__) || defined(_M_IX86)
#ifdef __cplusplus
#define KRW6180PLUG_LAYOUT(condition) static_assert(condition, #condition)
#else
#define KRW6180PLUG_LAYOUT(condition) _Static_assert(condition, #condition)
#endif
KRW6180PLUG_LAYOUT(sizeof(HostResult) == 20);
KRW6180PLUG_LAYOUT(offsetof(HostResult, message) == 4);
KRW6180PLUG_LAYOUT(offsetof(HostResult, address) == 8);
KRW6180PLUG_LAYOUT(offsetof(HostResult, reserved) == 12);
KRW6180PLUG_LAYOUT(offsetof(HostResult, model) == 16);
KRW6180PLUG_LAYOUT(sizeof(HostClientEntry) == 36);
KRW6180PLUG_LAYOUT(offsetof(HostClientEntry, band) == 4);
KRW6180PLUG_LAYOUT(offsetof(HostClientEntry, macAddress) == 8);
KRW6180PLUG_LAYOUT(offsetof(HostClientEntry, reserved1) == 12);
KRW6180PLUG_LAYOUT(offsetof(HostClientEntry, authentication) == 16);
KRW6180PLUG_LAYOUT(offsetof(HostClientEntry, rssi) == 20);
KRW6180PLUG_LAYOUT(offsetof(HostClientEntry, powerSave) == 24);
KRW6180PLUG_LAYOUT(offsetof(HostClientEntry, ssidIndex) == 28);
KRW6180PLUG_LAYOUT(offsetof(HostClientEntry, reserved2) == 32);
#undef KRW6180PLUG_LAYOUT
#endif

#endif
