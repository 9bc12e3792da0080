#pragma once

// Loopback ports for tests: a port that was free a moment ago, picked by
// the kernel, so that parallel test runs do not collide.
namespace krwtest {

// A UDP port on 127.0.0.1 that nothing is bound to; 0 when none could be had.
unsigned short FindFreeUdpPort();

// A TCP port on 127.0.0.1 that nothing listens on, for servers that cannot
// pick their own and say which; 0 when none could be had.
unsigned short FindFreeTcpPort();

// Binds the socket fd (UDP or TCP) to 127.0.0.1 on a port the kernel picks; that port,
// or 0 when it cannot be bound.
unsigned short BindLoopback(int fd);

}  // namespace krwtest
