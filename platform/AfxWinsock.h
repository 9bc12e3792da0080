#pragma once
// WS2_32: the system's socket functions serve under their own names (inet_ntoa,
// inet_addr, htons, ...).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#ifndef INADDR_NONE
#define INADDR_NONE 0xFFFFFFFFu
#endif
