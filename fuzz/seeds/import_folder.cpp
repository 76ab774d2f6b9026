#include <string>

#include "SeedRegistry.h"

namespace {

std::vector<uint8_t> bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

kx::fuzz::SeedRegistration index("fuzz_import_folder", "index", [] {
    return bytes(R"({"tester":"Lumetra KX1","testerSerial":"KX1","records":[
{"testerSerial":"KX1","testerFile":"p/a.result","key":1,"project":"P","site":"","imported":true,
 "result":"P/A.result","record":"P/A.json","size":10,"testDate":"2025-01-01T00:00:00Z","bytes":10,"crc32":"0badf00d"},
{"testerFile":"p/b.result","key":2,"imported":false,"error":"Failed to read record."},
{"testerSerial":"KX1","testerFile":"p/c.result","key":18446744073709551615,"imported":true,
 "result":"../../etc/x.result","record":"../../etc/x.json"}],
"notListed":[],"imported":1,"failed":1,"unlisted":0})");
});

}  // namespace
