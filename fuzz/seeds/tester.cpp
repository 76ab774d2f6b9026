#include <string>

#include "SeedRegistry.h"

namespace {

std::vector<uint8_t> seed(uint8_t selector, const std::string& text) {
    std::vector<uint8_t> v{selector};
    v.insert(v.end(), text.begin(), text.end());
    return v;
}

kx::fuzz::SeedRegistration listing("fuzz_tester_reply", "ls-busybox", [] {
    return seed(0,
                "total 8\n"
                "-rw-r--r--    1 root     root          1234 Dec  6 13:28 \"a \\\"b\\\".res\"\n"
                "-rw-r--r--    1 root     root     123456789 Dec  6 13:28 \"big\"\n"
                "drwxr-xr-x    2 root     root          4096 Dec  6 13:28 \"My Project\"\n");
});
kx::fuzz::SeedRegistration sysinfo("fuzz_tester_reply", "sysinfo", [] {
    return seed(1,
                "sysinfo\n{\"instruments\":[{\"model\":\"Tarvel2\",\"serial_number\":\"KX42\",\"config\":\"main\","
                "\"components\":{\"hw_modules\":[{\"model\":\"310\",\"data\":[{\"type\":\"calibration\"}]}],"
                "\"sw\":[{\"name\":\"boot\",\"rev\":\"1\"}]}}]}\n");
});
kx::fuzz::SeedRegistration terminal("fuzz_tester_reply", "terminal", [] {
    return seed(2, "deferpowerdown\r\nOK\r\n# \x1b[6n\x1b]0;t\x07\x1b[1;31mx\x1b[0m$ ");
});
kx::fuzz::SeedRegistration quoting("fuzz_tester_reply", "quoting",
                                   [] { return seed(3, "/tmp/q \"x\" $(touch y) `z` \\ ' &"); });

}  // namespace
