// Every command's failure paths, run as a user runs them against the simulator: the exit code (0 done, 1 the
// work failed or did nothing, 2 usage) and the first line on stderr, which names the problem after "kestrix:".

#include <set>

#include "CliFixture.h"

namespace {

class CliFailures : public kx::test::CliFixture {};

struct Row {
    std::vector<std::string> args;
    int code;
    std::string firstLine;  // what stderr's first line begins with, {f} filled in
};

// One or more rows per command of the table, grouped as `kestrix --help` groups them.
const std::vector<Row>& rows() {
    static const std::vector<Row> r = {
        // Tester
        {{"discover", "--ip", "{down}"}, 1, "kestrix: no tester at 127.0.0.1:1"},
        {{"sh", "--ip", "{ip}", "false"}, 1, "kestrix: the command failed on the tester (exit status 127)"},
        {{"sh", "--ip", "{down}", "true"}, 1, "kestrix: cannot connect to the tester at 127.0.0.1:1: "},
        {{"ls", "--ip", "{ip}", "/nothing"}, 1, "kestrix: ls: /nothing: No such file or directory"},
        {{"get", "--ip", "{ip}", "/tmp/nothing", "{f}/out/x"}, 1, "kestrix: cannot copy /tmp/nothing from the tester"},
        {{"put", "{f}/missing", "/tmp/x", "--ip", "{ip}"}, 1, "kestrix: cannot read {f}/missing: No such file"},
        {{"records", "--ip", "{down}"}, 1, "kestrix: cannot connect to the tester at 127.0.0.1:1"},
        {{"import", "--ip", "{ip}", "--out", "{f}/out/imp", "--project", "Harbour"},
         1,
         "kestrix: no records in project \"Harbour\" on the tester; see the projects with kestrix project list"},
        {{"demo", "--bogus"}, 2, "kestrix: the following argument was not expected: --bogus"},
        {{"sim", "--root", "{f}/records.txt"}, 1, "kestrix: not a folder: {f}/records.txt"},
        // Results
        {{"inspect", "{f}/missing"}, 1, "kestrix: cannot read {f}/missing: No such file or directory"},
        {{"inspect", "{f}/cut.result"}, 1, "kestrix: corrupt container"},
        {{"record", "{f}/cut.result"}, 1, "kestrix: the tests of {f}/cut.result cannot be read"},
        {{"record", "{f}/records.txt"}, 1, "kestrix: not a readable result file: {f}/records.txt"},
        {{"record"}, 2, "kestrix: FILE is required; see kestrix record --help"},
        {{"dump", "{f}/records.txt"}, 1, "kestrix: "},
        {{"plot", "{f}/copper.result", "--test", "nxt", "-o", "{f}/out/p.png"},
         1,
         "kestrix: there is no plot named \"nxt\"; this result has: wiremap, "},
        {{"plot", "{f}/copper.result", "-o", "{f}/out/p.jpg"}, 2, "kestrix: the output name must end in"},
        {{"wiremap", "{f}/copper.result", "-o", "{f}/out/w.jpg"},
         2,
         "kestrix: the picture's name must end in .png or .bmp"},
        {{"wiremap", "{f}/otdr.result", "-o", "{f}/out/w.png"}, 1, "kestrix: not a copper result"},
        {{"csv", "{f}/records.txt", "{f}/out/x.csv"}, 1, "kestrix: not a readable result file: {f}/records.txt"},
        {{"sor", "{f}/copper.result", "-o", "{f}/out/t"}, 1, "kestrix: {f}/copper.result: not a readable fiber result"},
        {{"bidi", "{f}/ll.result"}, 1, "kestrix: no \"OTDR End 1\" test"},
        {{"recertify", "{f}/otdr.result", "-o", "{f}/out/r.result"}, 1, "kestrix: not a copper result"},
        {{"recertify", "{f}/copper.result", "{f}/records.txt", "--out", "{f}/out/rj"},
         1,
         "kestrix: {f}/records.txt: not a readable result file"},
        {{"recertify", "{f}/copper.result", "-o", "{f}/out/n.result", "--nvp", "140"},
         2,
         "kestrix: the NVP must lie above 0 and at most 100 percent"},
        // Reports
        {{"report", "{f}/cut.result", "-o", "{f}/out/r.pdf"}, 1, "kestrix: 1 input cannot be read"},
        {{"export", "{f}/results", "--project", "Nope", "-o", "{f}/out/l.csv"}, 1, "kestrix: "},
        {{"serve", "{f}/nosuch"}, 1, "kestrix: not a folder: {f}/nosuch"},
        // Setups
        {{"settings", "shw"}, 2, "kestrix: unknown command \"shw\" (did you mean show?); see kestrix settings --help"},
        {{"settings", "show", "{f}/missing"}, 1, "kestrix: cannot read {f}/missing"},
        {{"settings", "set", "{f}/instrument.settings", "ipAddress", "999.1.1.1"},
         1,
         "kestrix: refused value \"999.1.1.1\" for ipAddress; give an address of four numbers 0 to 255"},
        {{"settings", "push", "{f}/bright.settings", "--ip", "{ip}"},
         1,
         "kestrix: {f}/bright.settings holds values the tester does not take: displayBrightness"},
        {{"settings", "pull", "--ip", "{down}", "-o", "{f}/out/s"}, 1, "kestrix: cannot connect to the tester"},
        {{"settings", "new", "{f}/records.txt/x"}, 1, "kestrix: cannot write {f}/records.txt/x"},
        {{"project", "show", "{f}/records.txt"}, 1, "kestrix: {f}/records.txt: not a project"},
        {{"project", "list", "--ip", "{down}"}, 1, "kestrix: cannot connect to the tester"},
        {{"project", "pull", "Nope", "-o", "{f}/out/p.sql", "--ip", "{ip}"},
         1,
         "kestrix: cannot export project \"Nope\""},
        // Pushed once it is done; pushed again it exists.
        {{"project", "push", "{f}/project.blob", "--ip", "{ip}"}, 0, ""},
        {{"project", "push", "{f}/project.blob", "--ip", "{ip}"},
         1,
         "kestrix: project \"Building 7 backbone\" was not installed: a project of that name is on the tester; add "
         "--overwrite to replace it"},
        {{"ids", "list", "--ip", "{down}"}, 1, "kestrix: cannot connect to the tester"},
        {{"ids", "push", "{f}/empty.txt", "--name", "A", "--ip", "{ip}"},
         1,
         "kestrix: {f}/empty.txt: no cable ids in it"},
        {{"ids", "rm", "Panel Z", "--ip", "{ip}"}, 1, "kestrix: no cable-id list named \"Panel Z\" on the tester"},
        {{"limits", "{f}/out"}, 1, "kestrix: not a copper limit database"},
        {{"limit", "{f}/records.txt"}, 1, "kestrix: not a serialized fiber limit"},
        {{"manifest", "{f}/records.txt"}, 1, "kestrix: manifest code"},
        // Maintenance
        {{"update", "{f}/records.txt", "--ip", "{ip}"}, 1, "kestrix: {f}/records.txt is not an update package"},
        {{"update", "{f}/empty.txt", "--ip", "{ip}"},
         1,
         "kestrix: {f}/empty.txt is not an update package: it is empty"},
        {{"info", "--ip", "{down}"}, 1, "kestrix: cannot connect to the tester at 127.0.0.1:1"},
        {{"logs", "--ip", "{down}", "-o", "{f}/out/l.zip"}, 1, "kestrix: cannot connect to the tester"},
        {{"screen", "--ip", "{ip}", "-o", "{f}/out/s.jpg"}, 2, "kestrix: the picture's name must end in .png or .ppm"},
        // The tool itself
        {{"recrd", "x"}, 2, "kestrix: unknown command \"recrd\" (did you mean record?); see kestrix --help"},
        {{"frobnicate"}, 2, "kestrix: unknown command \"frobnicate\"; see kestrix --help"},
    };
    return r;
}

TEST_F(CliFailures, EveryRowExitsWithItsCodeAndNamesTheProblem) {
    for (const Row& row : rows()) {
        const auto r = run(row.args);
        std::string args;
        for (const auto& a : row.args) args += " " + a;
        EXPECT_EQ(r.code, row.code) << "kestrix" << args << "\n" << r.err;
        const std::string want = fill(row.firstLine);
        EXPECT_EQ(r.firstErrorLine().substr(0, want.size()), want) << "kestrix" << args;
    }
}

TEST_F(CliFailures, EveryCommandHasAFailureRow) {
    CLI::App app;
    kx::cli::setupCommands(app);
    std::set<std::string> covered;
    for (const Row& row : rows()) covered.insert(row.args.front());
    for (const CLI::App* cmd : app.get_subcommands([](const CLI::App*) { return true; }))
        EXPECT_EQ(covered.count(cmd->get_name()), 1u) << cmd->get_name();
}

// The groups and their order are the man page's (CliDocs).
TEST_F(CliFailures, NoArgumentsListTheCommandsByJob) {
    const auto r = run({});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.out.find("\nTester:\n  discover "), std::string::npos) << r.out;
}

TEST_F(CliFailures, FilesWrittenAreNamedUnlessQuiet) {
    auto r = run({"wiremap", "{f}/copper.result", "-o", "{f}/out/w.png"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, fill("wrote {f}/out/w.png\n"));
    r = run({"wiremap", "{f}/copper.result", "-o", "{f}/out/w.bmp", "--quiet"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(fs::exists(files / "out" / "w.bmp"));
}

}  // namespace
