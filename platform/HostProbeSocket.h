#pragma once
// What the host probe needs of the system's sockets (one file each for POSIX
// and Winsock); HostProbe.cpp holds the one loop over the addresses.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#endif

namespace tarvik {

// False when the system's sockets cannot be used at all.
bool SocketsReady();

// One non-blocking connect to a, waited for at most waitMs.
bool ConnectOne(const addrinfo& a, int waitMs);

}  // namespace tarvik
