#pragma once
// ICMP echo before connecting: a tester that does not answer within 100 ms counts as absent.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Kestrix::Tester {

class IPinger {
public:
    virtual ~IPinger() = default;
    // True when `host` answered one echo request within `timeoutMs`; throws std::runtime_error when no
    // request could be sent at all (no ICMP socket, bad address).
    virtual bool ping(const std::string& host, int timeoutMs) = 0;
    // The same for a tester address ("ADDR" or "ADDR:PORT"); by default pings its host.
    virtual bool pingAddress(const std::string& address, int timeoutMs);
};

using PingFactory = std::function<std::unique_ptr<IPinger>()>;

// An unprivileged ICMP datagram socket, else a raw socket (root). Replies are matched on type, id and
// sequence, and on the sender for raw sockets (which also see their own requests).
class IcmpPinger : public IPinger {
public:
    bool ping(const std::string& host, int timeoutMs) override;

private:
    uint16_t _sequence = 0;
};

// A pinger that asks `fn` (tests map addresses onto what they serve).
std::unique_ptr<IPinger> makeFunctionPinger(std::function<bool(const std::string& host, int timeoutMs)> fn);

// True when a TCP connection to host:port is accepted within `timeoutMs`; never throws.
bool tcpConnects(const std::string& host, uint16_t port, int timeoutMs);

// Asks `inner`; when it cannot ping at all (it throws: no ICMP socket for this user), a tester counts as
// present when its SSH port accepts a TCP connection within the same time.
std::unique_ptr<IPinger> makeFallbackPinger(std::unique_ptr<IPinger> inner);

// ICMP echo with the TCP fallback above.
PingFactory defaultPingFactory();

}  // namespace Kestrix::Tester
