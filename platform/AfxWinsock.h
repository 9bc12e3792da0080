#pragma once
// WS2_32: the system's socket functions serve under their own names (inet_ntoa,
// inet_addr, htons, ...).

#ifdef _WIN32
#include "platform/win32/SystemHeaders.h"
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#ifndef INADDR_NONE
#define INADDR_NONE 0xFFFFFFFFu
#endif
#endif
