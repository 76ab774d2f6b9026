// "scp -r -f DIR": a folder arrives as D/C/E lines, depth first, names in byte order, each acknowledged.

#include "tester/SimTestClient.h"

using kx::test::Client;
using SimScpTree = kx::test::SimTest;

namespace {

// One line per step ("D name", "C name data", "E", "? error").
std::vector<std::string> receiveTree(Client& c, const std::string& command) {
    std::vector<std::string> steps;
    for (const auto& s : c.receive(command))
        steps.push_back(s.kind == 'E' ? "E" : s.kind + (" " + s.name) + (s.kind == 'C' ? " " + s.data : ""));
    return steps;
}

TEST_F(SimScpTree, SendsAFolderDepthFirst) {
    std::filesystem::create_directories(f.root / "tmp/tree/a dir");
    kx::test::writeText(f.root / "tmp/tree/b.res", "bbb");
    kx::test::writeText(f.root / "tmp/tree/a dir/x.res", "xx");
    kx::test::writeText(f.root / "tmp/tree/a dir/empty", "");
    EXPECT_EQ(receiveTree(c, "scp -r -f /tmp/tree"),
              (std::vector<std::string>{"D tree", "D a dir", "C empty ", "C x.res xx", "E", "C b.res bbb", "E"}));
    EXPECT_EQ(receiveTree(c, "scp -r -f /tmp/tree/b.res"), (std::vector<std::string>{"C b.res bbb"}));
    // Several sources in one transfer: a path that cannot be sent is reported, the next one still comes.
    EXPECT_EQ(receiveTree(c, "scp -f /tmp/tree/b.res /tmp/none '/tmp/tree/a dir/x.res' /tmp/tree"),
              (std::vector<std::string>{"C b.res bbb", "? scp: /tmp/none: No such file or directory", "C x.res xx",
                                        "? scp: /tmp/tree: not a regular file"}));
    const auto missing = receiveTree(c, "scp -r -f /tmp/none");
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_NE(missing[0].find("No such file"), std::string::npos);
}

}  // namespace
