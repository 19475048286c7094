#pragma once
// A port free for both TCP and UDP on loopback, so each test's pattern
// generator and discovery stay off 8888 and off each other; and the
// environment that points the application's pattern code at it.

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

inline int freeLoopbackPort() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        const int tcp = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(tcp, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 ||
            ::getsockname(tcp, reinterpret_cast<sockaddr *>(&a), &len) != 0) {
            ::close(tcp);
            continue;
        }
        const int udp = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in any = a;
        any.sin_addr.s_addr = htonl(INADDR_ANY);
        const bool udpFree = ::bind(udp, reinterpret_cast<sockaddr *>(&any), sizeof any) == 0;
        ::close(udp);
        ::close(tcp);
        if (udpFree)
            return ntohs(a.sin_port);
    }
    return 0;
}

// Points TINTWELL_PATTERN_PORT at a fresh port and discovery at the loopback
// broadcast; returns the port.
inline int useLoopbackPatternPort() {
    const int port = freeLoopbackPort();
    ::setenv("TINTWELL_PATTERN_PORT", std::to_string(port).c_str(), 1);
    ::setenv("TINTWELL_DISCOVERY_ADDRESS", "127.255.255.255", 1);
    return port;
}
