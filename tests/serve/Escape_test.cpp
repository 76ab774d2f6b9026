// Escaping for pages, URLs, CSV cells and download names, and the query parser: the texts a tester may store.
#include "ServeTesting.h"

#include "Escape.h"

namespace {

TEST(Escape, HtmlLeavesNoMarkupAndNoBrokenUtf8) {
    const std::pair<std::string, std::string> cases[] = {
        {"<img src=x onerror=alert(1)>", "&lt;img src=x onerror=alert(1)&gt;"},
        {"a\"b'c&d", "a&quot;b&#39;c&amp;d"},
        {"\" onmouseover=\"x", "&quot; onmouseover=&quot;x"},
        {"tab\there\nline\x7f", "tab here line "},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"bad \xFF byte", "bad \xEF\xBF\xBD byte"},
        {"cut \xE2\x82", "cut \xEF\xBF\xBD\xEF\xBF\xBD"},
        {"overlong \xC0\xBC", "overlong \xEF\xBF\xBD\xEF\xBF\xBD"},
        {"surrogate \xED\xA0\x80", "surrogate \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"C1 \xC2\x85", "C1  "},
        {std::string("nul\0x", 5), "nul x"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(html(in), out) << in;
}

TEST(Escape, CsvFieldsQuoteAndDisarmFormulas) {
    const struct {
        std::string in;
        bool text;
        std::string out;
    } cases[] = {
        {"plain", true, "plain"},
        {"a,b", true, "\"a,b\""},
        {"say \"hi\"", true, "\"say \"\"hi\"\"\""},
        {"=HYPERLINK(\"http://x\")", true, "\"'=HYPERLINK(\"\"http://x\"\")\""},
        {"+1", true, "'+1"},
        {"@SUM(A1)", true, "'@SUM(A1)"},
        {"-6.6", false, "-6.6"},
        {"two\nlines", true, "two lines"},
    };
    for (const auto& c : cases) EXPECT_EQ(csvField(c.in, c.text), c.out) << c.in;
}

TEST(Escape, UrlComponentsAndAttachmentNamesCannotBreakTheHeader) {
    EXPECT_EQ(urlComponent("A-z_0.9~"), "A-z_0.9~");
    EXPECT_EQ(urlComponent("a b&c=d/e?f#g"), "a%20b%26c%3Dd%2Fe%3Ff%23g");
    EXPECT_EQ(urlComponent("\"><script>"), "%22%3E%3Cscript%3E");
    EXPECT_EQ(urlComponent("\xC3\xA9"), "%C3%A9");
    EXPECT_EQ(attachment("D-101-A.result"), "attachment; filename=\"D-101-A.result\"; filename*=UTF-8''D-101-A.result");
    const std::string hostile = attachment("a\"; filename=evil.exe\r\nX: y.sor");
    EXPECT_EQ(hostile.find('\r'), std::string::npos);
    EXPECT_EQ(hostile.find('\n'), std::string::npos);
    EXPECT_EQ(hostile.substr(0, hostile.find("; filename*")),
              "attachment; filename=\"a__ filename=evil.exe__X: y.sor\"");
}

TEST(Params, ParseDecodesAndEncodeRoundTrips) {
    const Params p = Params::parse("q=%3Cimg%3E+x&status=fail&q=second&flag&bad=%zz%4");
    EXPECT_EQ(p.get("q"), "<img> x");
    EXPECT_EQ(p.get("status"), "fail");
    EXPECT_TRUE(p.has("flag"));
    EXPECT_EQ(p.get("bad"), "%zz%4");
    EXPECT_EQ(p.get("missing", "dflt"), "dflt");
    Params again = Params::parse(p.encode());
    EXPECT_EQ(again.get("q"), "<img> x");
    EXPECT_FALSE(again.has("flag"));  // no value, not written
}

}  // namespace
