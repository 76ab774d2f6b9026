// The tester commands of the CLI against the simulator on 127.0.0.1.

#include "CliFixture.h"
#include "TesterCommands.h"

namespace {

// The error `kestrix ls` reports for `folder`, or "" when it lists.
std::string lsError(const kx::cli::TesterLink& o, const std::string& folder, std::string* listing = nullptr) {
    std::ostringstream out;
    const std::string reason = kx::test::refusalOf([&] { kx::cli::listTesterFolder(o, folder, out); }).what();
    if (listing) *listing = out.str();
    return reason == "no failure" ? "" : reason;
}

}  // namespace

class TesterLs : public kx::test::CliFixture {};

TEST_F(TesterLs, OnlyAnEmptyReplyOrATotalLineIsAnEmptyFolder) {
    fs::create_directories(root / "empty");
    kx::cli::TesterLink o;
    o.ip = sim->address();

    std::string listing;
    EXPECT_EQ(lsError(o, "/tmp", &listing), "");
    EXPECT_EQ(listing, "           5  a.txt\n");
    listing = "x";
    EXPECT_EQ(lsError(o, "/empty", &listing), "");
    EXPECT_EQ(listing, "");
    // A refusal printed nothing and succeeded before.
    sim->setReply("ls -lQ \"/secret\"", "ls: /secret: Permission denied\n");
    EXPECT_EQ(lsError(o, "/secret"), "ls: /secret: Permission denied");
    EXPECT_EQ(lsError(o, "/nothing"), "ls: /nothing: No such file or directory");
    // The first line with text is the reason; escape sequences never reach the terminal.
    sim->setReply("ls -lQ \"/odd\"", "\nls: /odd: \x1b]0;owned\x07gone\n");
    EXPECT_EQ(lsError(o, "/odd"), "ls: /odd: gone");
    EXPECT_EQ(lsError(o, "-la"), "the folder name begins with \"-\"");
}
