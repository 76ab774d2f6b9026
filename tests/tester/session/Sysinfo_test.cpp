#include <gtest/gtest.h>

#include "tester/session/KestrixCom.h"
#include "tester/session/Sysinfo.h"

using namespace Kestrix::Tester;

namespace {

const char* kDoc = R"({
  "instruments": [ {
    "config": "main", "cpu_type": "imx8", "cpu_uid": "00ff", "date": "20250110 12:00:00", "hw_rev": "B",
    "last_update": "3.2.1", "mfg_number": "MF1", "model": "Tarvel2", "position": "0", "region_code": "EU",
    "serial_number": "KX42",
    "components": {
      "hw_modules": [ {
        "model": "310", "type": "measurement", "serial_number": "M1", "first_used_date": "20250301 10:00:00",
        "hardware_items": [ { "name": "tx", "test_count": "17" } ],
        "data": [ { "type": "calibration", "date_calibrated": "20250115 09:30:00", "date_verified": "" } ],
        "sw": [ { "name": "main", "rev": "1.4.2", "build_date": "20250101" } ]
      } ],
      "data": [ { "name": "limit data", "rev": "12" } ],
      "sw": [ { "name": "mainframe", "rev": "3.2.1" }, { "name": "boot", "rev": "1.0" } ]
    }
  } ]
})";

}  // namespace

TEST(Sysinfo, ReadsTheWholeDocumentAndTheHostModelCodeFromTheFirstModule) {
    auto s = KestrixCom::GetSysinfo(std::string("sysinfo\n") + kDoc + "\n");
    ASSERT_TRUE(s);
    ASSERT_EQ(s->instruments.size(), 1u);
    const auto& i = s->instruments[0];
    EXPECT_EQ(i.model, "Tarvel2");
    EXPECT_EQ(i.serial_number, "KX42");
    EXPECT_EQ(i.region_code, "EU");
    ASSERT_TRUE(i.components);
    ASSERT_EQ(i.components->hw_modules.size(), 1u);
    const auto& m = i.components->hw_modules[0];
    EXPECT_EQ(m.model, "310");
    EXPECT_EQ(m.hardware_items.at(0).test_count, "17");
    EXPECT_EQ(m.data.at(0).date_calibrated, "20250115 09:30:00");
    EXPECT_EQ(m.sw.at(0).rev, "1.4.2");
    EXPECT_EQ(i.components->sw.at(1).name, "boot");
    EXPECT_EQ(i.components->data.at(0).name, "limit data");
    EXPECT_EQ(hostModelCode(i), 3001);
    EXPECT_EQ(modelDisplayName(i.model), "Lumetra2");
    auto code = [](const std::string& model) {
        SysinfoInstrument i;
        i.components = SysinfoComponents{};
        SysinfoModule m;
        m.model = model;
        i.components->hw_modules.push_back(m);
        return hostModelCode(i);
    };
    EXPECT_EQ(code("300"), 3001);
    EXPECT_EQ(code("499"), 3001);
    EXPECT_EQ(code("500"), 3000);
    EXPECT_EQ(code("200"), 3003);
    EXPECT_EQ(code("299"), 3003);
    EXPECT_EQ(code("199"), 3000);
    EXPECT_EQ(code(" 250 "), 3003);
    EXPECT_EQ(code("25x"), 3000);
    EXPECT_EQ(code(""), 3000);
    EXPECT_EQ(code("99999999999999999999999"), 3000);
    EXPECT_EQ(hostModelCode(SysinfoInstrument{}), 3000);
    EXPECT_EQ(modelDisplayName("Ombrel"), "KZR-A");
    EXPECT_EQ(modelDisplayName("x"), "N/A");
}

TEST(Sysinfo, WrongTypesReadAsEmptyOrTextAndMalformedRepliesGiveNone) {
    auto s = KestrixCom::GetSysinfo(
        R"({"instruments":[{"model":{"a":1},"serial_number":12345,"config":true,"components":[1],"last_update":null}]})");
    ASSERT_TRUE(s);
    const auto& i = s->instruments[0];
    EXPECT_EQ(i.model, "");
    EXPECT_EQ(i.serial_number, "12345");
    EXPECT_EQ(i.config, "true");
    EXPECT_FALSE(i.components);
    EXPECT_EQ(hostModelCode(i), 3000);
    EXPECT_FALSE(KestrixCom::GetSysinfo(""));
    EXPECT_FALSE(KestrixCom::GetSysinfo("sysinfo: not found\n"));
    EXPECT_FALSE(KestrixCom::GetSysinfo("} {"));
    EXPECT_FALSE(KestrixCom::GetSysinfo("{\"instruments\": []}"));
    EXPECT_FALSE(KestrixCom::GetSysinfo("{\"instruments\": 5}"));
    EXPECT_FALSE(KestrixCom::GetSysinfo("{\"instruments\": [1, \"x\"]}"));
    EXPECT_FALSE(KestrixCom::GetSysinfo(
        "sysinfo: {\"instruments\": [ {\"model\": \"Tarvel\", \"serial_number\" }}}} \x01garbage\n"));
    // Text around the outermost braces is ignored.
    EXPECT_TRUE(KestrixCom::GetSysinfo("[{\"instruments\": [{}]}]"));
    std::string deep = "{\"instruments\":" + std::string(100000, '[') + std::string(100000, ']') + "}";
    EXPECT_FALSE(KestrixCom::GetSysinfo(deep));
}
