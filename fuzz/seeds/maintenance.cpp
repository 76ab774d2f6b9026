#include <string>

#include "SeedRegistry.h"
#include "core/TarGz.h"

namespace {

std::vector<uint8_t> withSelector(uint8_t selector, const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> v{selector};
    v.insert(v.end(), bytes.begin(), bytes.end());
    return v;
}

const std::vector<kx::test::TarEntry> kRemote = {
    {"manifest.json", R"({"remote_update_files": ["a.img", "x"], "version": "3.3.0"})"},
    {"images/", "", '5'},
    {"images/a.img", std::string(3000, 'a')},
    {"images/x", "x"},
};

kx::fuzz::SeedRegistration tarSeed("fuzz_tester_update_package", "remote-tar",
                                   [] { return withSelector(0, kx::test::tarBytes(kRemote)); });
kx::fuzz::SeedRegistration gzSeed("fuzz_tester_update_package", "remote-tar-gz",
                                  [] { return withSelector(1, kx::test::tarGz(kRemote)); });
kx::fuzz::SeedRegistration oldKey("fuzz_tester_update_package", "old-manifest-key", [] {
    return withSelector(0, kx::test::tarBytes({{"manifest", R"({"remote update files": ["x"]})"}, {"x", "1"}}));
});

kx::fuzz::SeedRegistration sysinfo("fuzz_tester_sysinfo_report", "sysinfo", [] {
    const std::string s =
        "sysinfo\n{\"instruments\":[{\"model\":\"Tarvel\",\"serial_number\":\"KX42\",\"config\":\"main\","
        "\"hw_rev\":\"B\",\"components\":{\"sw\":[{\"name\":\"mainframe\",\"rev\":\"3.2.1\"},"
        "{\"name\":\"boot\",\"rev\":\"1.0\"}],\"data\":[{\"name\":\"limit data\",\"rev\":\"2025.1\"}],"
        "\"hw_modules\":[{\"type\":\"measurement\",\"model\":\"302\",\"serial_number\":\"M1\","
        "\"first_used_date\":\"20250915 10:00:00\",\"sw\":[{\"name\":\"main\",\"rev\":\"1.4\"}],"
        "\"data\":[{\"type\":\"calibration\",\"date_calibrated\":\"20250115 09:30:00\","
        "\"date_verified\":\"\"}]}]}}]}\n";
    return std::vector<uint8_t>(s.begin(), s.end());
});
kx::fuzz::SeedRegistration date("fuzz_tester_sysinfo_report", "date",
                                [] { return std::vector<uint8_t>{'2', '0', '2', '4', '0', '2', '2', '9', ' '}; });

}  // namespace
