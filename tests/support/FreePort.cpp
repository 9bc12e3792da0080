#include "tests/support/FreePort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace krwtest {

unsigned short BindLoopback(int fd)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return 0;
    return ntohs(addr.sin_port);
}

namespace {

unsigned short FindFreePort(int type)
{
    const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    const unsigned short port = BindLoopback(fd);
    if (fd >= 0)
        close(fd);
    return port;
}

}  // namespace

unsigned short FindFreeUdpPort()
{
    return FindFreePort(SOCK_DGRAM);
}

unsigned short FindFreeTcpPort()
{
    return FindFreePort(SOCK_STREAM);
}

}  // namespace krwtest
