// Every command that prints data, with --json: its output parses, prints back the same, and keeps the
// convention of its kind of document (README "JSON"):
//  - the tool's own documents: camelCase keys, numbers as numbers, dates in ISO 8601 UTC, a name beside each
//    code ("status" and "statusCode");
//  - host records: the host's field names, each enumeration the tool knows with its name beside its code;
//  - model forms (dump, settings show, project show, bidi): the model's own JSON.
#include <regex>

#include "CliFixture.h"

namespace {

enum class Kind { tool, host, model };

struct Case {
    std::vector<std::string> args;
    Kind kind;
    std::string file;  // the document is this file ({f} filled in), not stdout
};

// What breaks the convention of `kind` anywhere in `v`, one line per finding.
void check(const Json::Value& v, Kind kind, const std::string& where, std::vector<std::string>& bad) {
    // Host records key some maps by number (wavelengths, splitter ratios).
    static const std::regex tool("^[a-z][A-Za-z0-9]*$"), host("^([A-Z][A-Za-z0-9]*|[0-9]+)$");
    static const std::regex iso("^[0-9]{4}-[0-9]{2}-[0-9]{2}(T[0-9]{2}:[0-9]{2}:[0-9]{2}Z)?$");
    static const std::regex decimalText("^-?[0-9]+\\.[0-9]+$");
    if (v.isArray()) {
        for (Json::ArrayIndex i = 0; i < v.size(); ++i) check(v[i], kind, where + "[" + std::to_string(i) + "]", bad);
        return;
    }
    if (!v.isObject()) return;
    for (const std::string& key : v.getMemberNames()) {
        const Json::Value& m = v[key];
        const std::string at = where + "." + key;
        check(m, kind, at, bad);
        if (kind == Kind::model) continue;
        if (kind == Kind::tool && !std::regex_match(key, tool)) bad.push_back(at + ": not camelCase");
        if (kind == Kind::host && !std::regex_match(key, host)) bad.push_back(at + ": not a host field name");
        // Versions ("3.12") are names, not numbers.
        if (m.isString() && std::regex_match(m.asString(), decimalText) && key.find("ersion") == std::string::npos)
            bad.push_back(at + ": a number as text");
        const bool dateKey =
            key == "date" || key == "TestTime" || (key.size() > 4 && key.compare(key.size() - 4, 4, "Date") == 0);
        if (dateKey && !m.isNull() && !(m.isString() && std::regex_match(m.asString(), iso)))
            bad.push_back(at + ": not an ISO 8601 date");
        if (kind == Kind::tool) {
            if (key == "status" && !v.isMember("statusCode")) bad.push_back(at + ": no statusCode beside it");
            if (key.size() > 4 && key.compare(key.size() - 4, 4, "Code") == 0 && !m.isNull() && !m.isIntegral())
                bad.push_back(at + ": a code that is not a whole number");
        } else {
            for (const char* named : {"Status", "Media"})
                if (key == named && m.isInt() && !v[std::string(named) + "Name"].isString())
                    bad.push_back(at + ": no name beside the code");
        }
    }
}

// A number in the text with more significant digits than its source has: 2000.4000000000001, or a float
// written as the double it became (0.0399999991059303).
bool overlongNumber(const std::string& text) {
    static const std::regex number("-?[0-9]+\\.[0-9]+");
    for (std::sregex_iterator it(text.begin(), text.end(), number), end; it != end; ++it) {
        std::string digits;
        for (char c : it->str())
            if (c >= '0' && c <= '9' && !(digits.empty() && c == '0')) digits += c;
        if (digits.size() > 15) return true;
        const double d = std::stod(it->str());
        const float f = static_cast<float>(d);
        if (static_cast<double>(f) == d && digits.size() > 9) return true;
    }
    return false;
}

class CliJson : public kx::test::CliFixture {};

TEST_F(CliJson, EveryCommandsJsonKeepsTheConventionOfItsKind) {
    const std::vector<Case> cases = {
        {{"discover", "--ip", "{ip}", "--json"}, Kind::tool, ""},
        {{"ls", "--ip", "{ip}", "/tmp", "--json"}, Kind::tool, ""},
        {{"records", "--ip", "{ip}", "--json"}, Kind::tool, ""},
        {{"import", "--ip", "{ip}", "--out", "{f}/imp", "--no-mark", "--json"}, Kind::tool, ""},
        {{"import", "--ip", "{ip}", "--out", "{f}/imp", "--no-mark"}, Kind::tool, "{f}/imp/index.json"},
        {{"inspect", "{f}/copper.result", "--json"}, Kind::tool, ""},
        {{"recertify", "{f}/copper.result", "-o", "{f}/out/n.result", "--json"}, Kind::tool, ""},
        {{"export", "{f}/copper.result", "{f}/ll.result", "{f}/otdr.result", "-o", "{f}/out/links.json", "--json"},
         Kind::tool,
         "{f}/out/links.json"},
        {{"project", "list", "--ip", "{ip}", "--json"}, Kind::tool, ""},
        {{"project", "pull", "Riverside Campus", "-o", "{f}/out/p.sql", "--ip", "{ip}", "--json"}, Kind::tool, ""},
        {{"project", "push", "{f}/project.blob", "--ip", "{ip}", "--json"}, Kind::tool, ""},
        {{"ids", "list", "--ip", "{ip}", "--json"}, Kind::tool, ""},
        {{"limits", "{f}/db", "--json"}, Kind::tool, ""},
        {{"manifest", "{f}/manifest.pfile", "--json"}, Kind::tool, ""},
        {{"update", "{f}/update.tar.gz", "--ip", "{ip}", "--json"}, Kind::tool, ""},
        {{"info", "--ip", "{ip}", "--json"}, Kind::tool, ""},
        {{"record", "{f}/copper.result", "--json"}, Kind::host, ""},
        {{"record", "{f}/ll.result", "--json"}, Kind::host, ""},
        {{"record", "{f}/otdr.result", "--json", "--plots"}, Kind::host, ""},
        {{"bidi", "{f}/otdr.result", "--host"}, Kind::host, ""},
        {{"limit", "{f}/fiberlimit.bin", "--json"}, Kind::host, ""},
        {{"dump", "{f}/otdr.result", "--json"}, Kind::model, ""},
        {{"bidi", "{f}/otdr.result", "--json"}, Kind::model, ""},
        {{"settings", "show", "{f}/instrument.settings", "--json"}, Kind::model, ""},
        {{"project", "show", "{f}/project.blob", "--json"}, Kind::model, ""},
    };
    for (const Case& c : cases) {
        std::string shown = "kestrix";
        for (const auto& a : c.args) shown += " " + a;
        const auto r = run(c.args);
        ASSERT_EQ(r.code, 0) << shown << "\n" << r.err;
        const std::string text = c.file.empty() ? r.out : kx::test::readText(fill(c.file));
        const Json::Value doc = kx::test::parseJson(text, shown);
        ASSERT_TRUE(doc.isObject() || doc.isArray()) << shown;
        if (c.kind == Kind::model) {
            EXPECT_TRUE(doc.isObject()) << shown;
            continue;
        }
        // Printed again by the tool's printer, it reads back the same.
        EXPECT_EQ(kx::test::parseJson(kx::cli::jsonText(doc), shown), doc) << shown;
        EXPECT_FALSE(overlongNumber(text)) << shown;
        std::vector<std::string> bad;
        check(doc, c.kind, "", bad);
        for (size_t i = 0; i < bad.size() && i < 5; ++i) ADD_FAILURE() << shown << ": " << bad[i];
    }
}

}  // namespace
