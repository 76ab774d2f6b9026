#pragma once
// A TarvelCom connected to a simulated tester of a chosen model (its logs seeded), the tester's pauses skipped.
#include "tester/TesterFixture.h"

#include <sys/wait.h>

#include <cstdio>
#include <set>

namespace kx::test {

class MaintenanceTest : public TesterLinkTest {
protected:
    void SetUp() override {}

    Kestrix::Tester::TarvelCom& start(Kestrix::Sim::SysinfoOptions sysinfo = {}) {
        restart(std::move(sysinfo), true);
        return connectTarvel([](int) {});
    }

    // Every regular file below the tester's root, as tester paths.
    std::set<std::string> testerFiles() const {
        std::set<std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(root))
            if (e.is_regular_file()) out.insert("/" + fs::relative(e.path(), root).generic_string());
        return out;
    }

    size_t journalCount(const std::string& line) const {
        auto j = sim->journal();
        return static_cast<size_t>(std::count(j.begin(), j.end(), line));
    }
};

}  // namespace kx::test
