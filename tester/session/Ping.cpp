#include "tester/session/Ping.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

#include "tester/ssh/Address.h"

namespace Kestrix::Tester {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kEchoReply = 0;
constexpr uint8_t kEchoRequest = 8;
constexpr size_t kIcmpHeader = 8;
constexpr char kPayload[] = "kestrix-echo-req";

class Socket {
public:
    explicit Socket(int fd) : _fd(fd) {}
    ~Socket() {
        if (_fd >= 0) ::close(_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return _fd; }

private:
    int _fd;
};

in_addr resolve(const std::string& host) {
    in_addr a{};
    if (inet_pton(AF_INET, host.c_str(), &a) == 1) return a;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* res = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &res) != 0 || !res)
        throw std::runtime_error("cannot resolve \"" + host + "\"");
    a = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr;
    freeaddrinfo(res);
    return a;
}

uint16_t checksum(const uint8_t* p, size_t n) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < n; i += 2) sum += static_cast<uint32_t>(p[i] << 8 | p[i + 1]);
    if (n % 2) sum += static_cast<uint32_t>(p[n - 1] << 8);
    while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

uint16_t nextId() {
    static std::atomic<uint16_t> counter{0};
    return static_cast<uint16_t>((static_cast<unsigned>(getpid()) * 31u + counter++) & 0xffff);
}

}  // namespace

bool IcmpPinger::ping(const std::string& host, int timeoutMs) {
    const in_addr target = resolve(host);
    bool raw = false;
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        raw = true;
    }
    if (fd < 0) throw std::runtime_error(std::string("no ICMP socket: ") + std::strerror(errno));
    Socket sock(fd);

    const uint16_t id = nextId();
    const uint16_t seq = ++_sequence;
    uint8_t packet[kIcmpHeader + sizeof kPayload] = {};
    packet[0] = kEchoRequest;
    packet[4] = static_cast<uint8_t>(id >> 8);
    packet[5] = static_cast<uint8_t>(id);
    packet[6] = static_cast<uint8_t>(seq >> 8);
    packet[7] = static_cast<uint8_t>(seq);
    std::memcpy(packet + kIcmpHeader, kPayload, sizeof kPayload);
    uint16_t sum = checksum(packet, sizeof packet);
    packet[2] = static_cast<uint8_t>(sum >> 8);
    packet[3] = static_cast<uint8_t>(sum);

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr = target;
    if (::sendto(fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0) {
        if (errno == EHOSTUNREACH || errno == ENETUNREACH || errno == EHOSTDOWN) return false;
        throw std::runtime_error(std::string("cannot send ICMP echo: ") + std::strerror(errno));
    }

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t reply[1500];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd pfd{fd, POLLIN, 0};
        int rc = ::poll(&pfd, 1, static_cast<int>(left));
        if (rc < 0 && errno == EINTR) continue;
        if (rc <= 0) return false;
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        ssize_t n = ::recvfrom(fd, reply, sizeof reply, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n <= 0) continue;
        size_t offset = 0;
        if (raw) {
            size_t ihl = static_cast<size_t>(reply[0] & 0x0f) * 4;
            if (ihl < 20 || static_cast<size_t>(n) < ihl) continue;
            offset = ihl;
        }
        if (static_cast<size_t>(n) - offset < kIcmpHeader || from.sin_addr.s_addr != target.s_addr) continue;
        const uint8_t* icmp = reply + offset;
        if (icmp[0] != kEchoReply) continue;
        uint16_t rid = static_cast<uint16_t>(icmp[4] << 8 | icmp[5]);
        uint16_t rseq = static_cast<uint16_t>(icmp[6] << 8 | icmp[7]);
        // A datagram socket's id is chosen by the kernel, which already filters on it.
        if (rseq == seq && (!raw || rid == id)) return true;
    }
}

bool IPinger::pingAddress(const std::string& address, int timeoutMs) {
    auto a = parseAddress(address);
    return ping(a ? a->host : address, timeoutMs);
}

bool tcpConnects(const std::string& host, uint16_t port, int timeoutMs) {
    in_addr target{};
    try {
        target = resolve(host);
    } catch (const std::exception&) {
        return false;
    }
    Socket sock(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (sock.fd() < 0) return false;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr = target;
    to.sin_port = htons(port);
    if (::connect(sock.fd(), reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) return true;
    if (errno != EINPROGRESS) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd pfd{sock.fd(), POLLOUT, 0};
        int rc = ::poll(&pfd, 1, static_cast<int>(left));
        if (rc < 0 && errno == EINTR) continue;
        if (rc <= 0) return false;
        int error = 0;
        socklen_t len = sizeof error;
        return ::getsockopt(sock.fd(), SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
    }
}

namespace {

class FallbackPinger : public IPinger {
public:
    explicit FallbackPinger(std::unique_ptr<IPinger> inner) : _inner(std::move(inner)) {}
    bool ping(const std::string& host, int timeoutMs) override { return pingAddress(host, timeoutMs); }
    bool pingAddress(const std::string& address, int timeoutMs) override {
        auto a = parseAddress(address);
        if (!a) return false;
        try {
            return _inner->ping(a->host, timeoutMs);
        } catch (const std::exception&) {
            return tcpConnects(a->host, a->port ? a->port : kSshPort, timeoutMs);
        }
    }

private:
    static constexpr uint16_t kSshPort = 22;
    std::unique_ptr<IPinger> _inner;
};

class FunctionPinger : public IPinger {
public:
    explicit FunctionPinger(std::function<bool(const std::string&, int)> fn) : _fn(std::move(fn)) {}
    bool ping(const std::string& host, int timeoutMs) override { return _fn(host, timeoutMs); }

private:
    std::function<bool(const std::string&, int)> _fn;
};

}  // namespace

std::unique_ptr<IPinger> makeFunctionPinger(std::function<bool(const std::string& host, int timeoutMs)> fn) {
    return std::make_unique<FunctionPinger>(std::move(fn));
}

std::unique_ptr<IPinger> makeFallbackPinger(std::unique_ptr<IPinger> inner) {
    return std::make_unique<FallbackPinger>(std::move(inner));
}

PingFactory defaultPingFactory() {
    return [] { return makeFallbackPinger(std::make_unique<IcmpPinger>()); };
}

}  // namespace Kestrix::Tester
