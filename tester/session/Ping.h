#pragma once
// ICMP echo before connecting: a tester that does not answer within 100 ms counts as absent.
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

PingFactory defaultPingFactory();

}  // namespace Kestrix::Tester
