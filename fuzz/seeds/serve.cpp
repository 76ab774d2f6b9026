// Requests to the viewer: pages, downloads and filtered selections.
#include <string>

#include "SeedRegistry.h"

namespace {

std::vector<uint8_t> bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

kx::fuzz::SeedRegistration home("fuzz_serve_request", "home", [] { return bytes(""); });
kx::fuzz::SeedRegistration links("fuzz_serve_request", "links", [] {
    return bytes("links\nq=%3Cb%3E&status=fail&from=2026-11-01&to=2026-11-30&sort=margin&dir=asc&page=2&folder=0");
});
kx::fuzz::SeedRegistration record("fuzz_serve_request", "record", [] { return bytes("record/1"); });
kx::fuzz::SeedRegistration plot("fuzz_serve_request", "plot", [] { return bytes("record/1/plot/0.svg"); });
kx::fuzz::SeedRegistration sor("fuzz_serve_request", "sor", [] { return bytes("record/2/sor/1/1310"); });
kx::fuzz::SeedRegistration climb("fuzz_serve_request", "climb", [] { return bytes("record/1/../../outside.txt"); });

}  // namespace
