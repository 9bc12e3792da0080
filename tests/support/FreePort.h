#pragma once

// Loopback UDP ports for tests: a port that was free a moment ago, picked by
// the kernel, so that parallel test runs do not collide.
namespace krwtest {

// A UDP port on 127.0.0.1 that nothing is bound to; 0 when none could be had.
unsigned short FindFreeUdpPort();

// Binds the UDP socket fd to 127.0.0.1 on a port the kernel picks; that port,
// or 0 when it cannot be bound.
unsigned short BindLoopbackUdp(int fd);

}  // namespace krwtest
