// Stopping the simulator ends the connections it holds. Its fault switches are checked through the session
// (SessionFaults_test) and the import (ImportJob_test), which see each one fire.

#include "tester/SimTestClient.h"

using kx::test::Client;
using SimFaults = kx::test::SimTest;

namespace {

bool connectionGone(Client& c, ssh_channel ch) {
    char buf[256];
    for (int i = 0; i < 50; ++i) {
        const int n = ssh_channel_read_timeout(ch, buf, sizeof buf, 0, 100);
        if (n < 0 || ssh_channel_is_eof(ch) || !ssh_is_connected(c.session())) return true;
    }
    return false;
}

}  // namespace

TEST_F(SimFaults, StopEndsOpenConnections) {
    ssh_channel ch = c.openShell(true);
    ASSERT_NE(ch, nullptr);
    EXPECT_EQ(f.sim->openConnections(), 1);
    f.sim->stop();
    EXPECT_TRUE(connectionGone(c, ch));
    EXPECT_EQ(f.sim->openConnections(), 0);
    ssh_channel_free(ch);
}
