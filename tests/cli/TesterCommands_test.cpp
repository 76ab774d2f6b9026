// The tester commands of the CLI against the simulator on 127.0.0.1.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "Command.h"
#include "TesterCommands.h"
#include "TesterSim.h"
#include "core/TestFiles.h"

namespace fs = std::filesystem;
using kx::cli::BadInput;

namespace {

// The error `kestrix ls` reports for `folder`, or "" when it lists.
std::string lsError(const kx::cli::TesterLink& o, const std::string& folder, std::string* listing = nullptr) {
    std::ostringstream out;
    try {
        kx::cli::listTesterFolder(o, folder, out);
    } catch (const BadInput& e) {
        return e.what();
    }
    if (listing) *listing = out.str();
    return "";
}

}  // namespace

TEST(TesterLs, OnlyAnEmptyReplyOrATotalLineIsAnEmptyFolder) {
    const fs::path root = kx::test::freshFolder("cli-tester");
    kx::test::writeText(root / "tmp" / "a.bin", "12345");
    fs::create_directories(root / "empty");
    Kestrix::Sim::SimOptions so;
    so.root = root;
    Kestrix::Sim::TesterSim sim(so);
    sim.start();
    kx::cli::TesterLink o;
    o.ip = sim.address();

    std::string listing;
    EXPECT_EQ(lsError(o, "/tmp", &listing), "");
    EXPECT_EQ(listing, "           5  a.bin\n");
    listing = "x";
    EXPECT_EQ(lsError(o, "/empty", &listing), "");
    EXPECT_EQ(listing, "");
    // A refusal printed nothing and succeeded before.
    sim.setReply("ls -lQ \"/secret\"", "ls: /secret: Permission denied\n");
    EXPECT_EQ(lsError(o, "/secret"), "ls: /secret: Permission denied");
    EXPECT_EQ(lsError(o, "/nothing"), "ls: /nothing: No such file or directory");
    // The first line with text is the reason; escape sequences never reach the terminal.
    sim.setReply("ls -lQ \"/odd\"", "\nls: /odd: \x1b]0;owned\x07gone\n");
    EXPECT_EQ(lsError(o, "/odd"), "ls: /odd: gone");
    EXPECT_EQ(lsError(o, "-la"), "the folder name begins with \"-\"");
    sim.stop();
    fs::remove_all(root);
}
