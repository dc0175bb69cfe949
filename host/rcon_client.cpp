// All of the host's socket code. The two systems differ only in start-up, handle type, error codes
// and closing; each difference sits in one branch here.
#include "host/rcon_client.h"

#include <algorithm>
#include <cstring>

#include "value/text.h"

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace orvane::host {
namespace {

constexpr std::string_view kHeader = "\xFF\xFF\xFF\xFF";
constexpr std::string_view kPrint = "print\n";
constexpr const char* kDefaultPort = "28960";
// A reply too long for one datagram comes in several close behind each other.
constexpr std::chrono::milliseconds kFollowUpWait{100};
constexpr int kMostDatagrams = 64;

#if defined(_WIN32)
using Handle = SOCKET;
constexpr Handle kNoHandle = INVALID_SOCKET;
bool started() {
    static const bool ok = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ok;
}
void closeHandle(Handle h) { closesocket(h); }
bool refused() {
    return WSAGetLastError() == WSAECONNRESET || WSAGetLastError() == WSAECONNREFUSED;
}
std::string lastError() { return "error " + std::to_string(WSAGetLastError()); }
int waitReadable(Handle h, int ms) {
    WSAPOLLFD fd{h, POLLRDNORM, 0};
    return WSAPoll(&fd, 1, ms);
}
#else
using Handle = int;
constexpr Handle kNoHandle = -1;
bool started() { return true; }
void closeHandle(Handle h) { ::close(h); }
bool refused() { return errno == ECONNREFUSED; }
std::string lastError() { return std::strerror(errno); }
int waitReadable(Handle h, int ms) {
    pollfd fd{h, POLLIN, 0};
    int n;
    do n = ::poll(&fd, 1, ms);
    while (n < 0 && errno == EINTR);  // a signal is no reason to give up the wait
    return n;
}
#endif

Handle handleOf(std::intptr_t socket) { return static_cast<Handle>(socket); }

bool splitAddress(std::string_view address, std::string& host, std::string& port) {
    std::string_view rest;
    if (address.starts_with('[')) {
        const std::size_t close = address.find(']');
        if (close == std::string_view::npos) return false;
        host = address.substr(1, close - 1);
        rest = address.substr(close + 1);
    } else {
        const std::size_t colon = address.find(':');
        if (colon != address.rfind(':')) return false;  // a bare v6 address needs its brackets
        host = address.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : address.substr(colon);
    }
    if (rest.empty()) {
        port = kDefaultPort;
    } else if (rest.starts_with(':') && rest.size() > 1) {
        port = rest.substr(1);
    } else {
        return false;
    }
    return !host.empty() &&
           std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

RconClient::~RconClient() {
    if (socket_ != -1) closeHandle(handleOf(socket_));
}

bool RconClient::open(std::string_view address, std::string password,
                      std::chrono::milliseconds timeout, std::string& error) {
    std::string host, port;
    if (!splitAddress(address, host, port)) {
        error = "bad address '" + std::string(address) + "' (host:port)";
        return false;
    }
    if (!started()) {
        error = "no network: " + lastError();
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (const int rc = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found); rc != 0) {
        error = "cannot resolve '" + std::string(address) + "': " + gai_strerror(rc);
        return false;
    }
    // Connected, so the system delivers only the server's datagrams and reports an absent server.
    Handle h = kNoHandle;
    for (addrinfo* a = found; a && h == kNoHandle; a = a->ai_next) {
        h = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (h != kNoHandle &&
            ::connect(h, a->ai_addr, static_cast<socklen_t>(a->ai_addrlen)) != 0) {
            closeHandle(h);
            h = kNoHandle;
        }
    }
    ::freeaddrinfo(found);
    if (h == kNoHandle) {
        error = "cannot reach '" + std::string(address) + "': " + lastError();
        return false;
    }
    if (socket_ != -1) closeHandle(handleOf(socket_));
    socket_ = static_cast<std::intptr_t>(h);
    address_ = address;
    password_ = std::move(password);
    timeout_ = timeout;
    return true;
}

bool RconClient::exchange(std::string_view command, std::string& reply, std::string& error) {
    reply.clear();
    if (socket_ == -1) {
        error = "no server address";
        return false;
    }
    const Handle h = handleOf(socket_);
    const std::string request =
        std::string(kHeader) + "rcon " + password_ + " " + std::string(command);
    if (::send(h, request.data(), static_cast<int>(request.size()), 0) < 0) {
        error = "cannot send to " + address_ + ": " + lastError();
        return false;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeout_;
    int replies = 0;
    char buffer[65536];
    while (replies < kMostDatagrams) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            replies == 0 ? deadline - Clock::now() : kFollowUpWait);
        if (left.count() <= 0 || waitReadable(h, static_cast<int>(left.count())) <= 0) break;
        const auto got = ::recv(h, buffer, static_cast<int>(sizeof buffer), 0);
        if (got < 0) {
            if (replies > 0) break;  // what came is the reply
            error = refused() ? address_ + " refused the command (no server listening there)"
                              : "cannot receive from " + address_ + ": " + lastError();
            return false;
        }
        const std::string_view datagram(buffer, static_cast<std::size_t>(got));
        const std::string_view start = datagram.substr(0, kHeader.size() + kPrint.size());
        if (start.substr(0, kHeader.size()) != kHeader || start.substr(kHeader.size()) != kPrint)
            continue;  // not a console reply
        reply.append(datagram.substr(start.size()));
        ++replies;
    }
    if (replies == 0) {
        error = "no reply from " + address_ + " within " + std::to_string(timeout_.count()) + " ms";
        return false;
    }
    return true;
}

RconAnswer RconClient::execute(std::u16string_view command) {
    std::string reply, error;
    if (!exchange(narrow(command), reply, error)) return {false, {}, widen(error)};
    return {true, widen(reply), {}};
}

}  // namespace orvane::host
