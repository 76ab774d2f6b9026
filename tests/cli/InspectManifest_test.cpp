#include <cstdlib>
#include <ctime>

#include "CliFixture.h"
#include "InspectCommand.h"
#include "common/PFile.h"
#include "serialization/LittleEndian.h"

namespace {

// The summary's model form gives its time in local time: UTC here.
std::vector<uint8_t> resultContainer() {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    Kestrix::ResultSummary s;
    s.resultName = "RACK1-PP2-07";
    s.resultType = Kestrix::ResultType::COPPER;
    PFile::Section summary, body;
    EXPECT_EQ(0, Kestrix::setResultSection(summary, PFile::SectionType::ResultSummary, 1, s));
    std::vector<uint8_t> data(3000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i % 7);
    body.setCopy(701, 2, PFile::SECTION_FLAG_NONE, data, 0);
    return PFile::buildContainer({&summary, &body});
}

std::string inspect(const std::vector<uint8_t>& bytes, bool json) {
    std::ostringstream out;
    inspectContainer(bytes, json, out);
    return out.str();
}

TEST(InspectCommand, ListsSectionsAndTheSummary) {
    const auto bytes = resultContainer();
    kx::test::expectGolden(inspect(bytes, false), "inspect.txt");
    kx::test::expectGolden(inspect(bytes, true), "inspect.json");
}

TEST(InspectCommand, CorruptContainersAreListedAsFarAsPossible) {
    auto bytes = resultContainer();
    bytes.back() ^= 0x40;  // payload of the last section
    std::ostringstream out;
    const std::string reason = kx::test::refusalOf([&] { inspectContainer(bytes, false, out); }).what();
    EXPECT_NE(reason.find("data failed crc check"), std::string::npos) << reason;
    kx::test::expectGolden(out.str(), "inspect-bad-crc.txt");

    // Cut short: open refuses it and says where the bytes end, the lenient open still lists the summary.
    auto cut = resultContainer();
    cut.resize(cut.size() - 100);
    std::ostringstream listed;
    EXPECT_THROW(inspectContainer(cut, true, listed), BadInput);
    kx::test::expectGolden(listed.str(), "inspect-cut.json");

    // The reason names the failure kind and the offset at fault, whatever the reader's messages say.
    auto reasonFor = [](const std::vector<uint8_t>& container) -> std::string {
        std::ostringstream ignored;
        return kx::test::refusalOf([&] { inspectContainer(container, false, ignored); }).what();
    };
    const auto good = resultContainer();
    const size_t summaryAt = 24;  // after the file header section
    const size_t bodyAt = summaryAt + 20 + Marshal::LittleEndian::load<uint32_t>(good.data() + summaryAt + 8);

    auto headerCrc = good;
    headerCrc[bodyAt + 4] ^= 0x01;  // the body section's version changed under its header checksum
    EXPECT_EQ("corrupt container: header CRC mismatch at byte " + std::to_string(bodyAt), reasonFor(headerCrc));

    auto cutHeader = good;
    cutHeader.resize(bodyAt + 10);  // ends inside the body section's dataSize field
    EXPECT_EQ("corrupt container: truncated at byte " + std::to_string(cutHeader.size()), reasonFor(cutHeader));

    EXPECT_EQ("corrupt container: empty file", reasonFor({}));
    auto headless = std::vector<uint8_t>(good.begin() + static_cast<std::ptrdiff_t>(summaryAt), good.end());
    EXPECT_EQ("corrupt container: no file header at byte 0", reasonFor(headless));
}

TEST(ManifestCommand, PrintsVersionAndFirmwareOrTheCode) {
    const std::filesystem::path dir = kx::test::freshFolder("manifest-cli");
    const std::string path = (dir / "m.pfile").string();
    ASSERT_TRUE(PFile::writeFileBytes(path, kx::test::manifestContainer(kx::test::sampleManifest())));
    std::ostringstream text, json;
    printManifest(path, false, text);
    EXPECT_EQ("version V3.12\nbuild 41\nminReqFirmwareVersion 2.7.0\n", text.str());
    printManifest(path, true, json);
    EXPECT_NE(json.str().find("\"version\" : \"V3.12\""), std::string::npos);

    std::ostringstream missing, garbage;
    const std::string none = kx::test::refusalOf([&] { printManifest((dir / "none").string(), true, missing); }).what();
    EXPECT_NE(none.find("cannot read " + (dir / "none").string()), std::string::npos) << none;
    EXPECT_EQ(missing.str(), "");
    ASSERT_TRUE(PFile::writeFileBytes((dir / "garbage").string(), {1, 2, 3}));
    const std::string code =
        kx::test::refusalOf([&] { printManifest((dir / "garbage").string(), true, garbage); }).what();
    EXPECT_NE(code.find("manifest code 4"), std::string::npos) << code;
    EXPECT_NE(garbage.str().find("\"resultCode\" : 4"), std::string::npos) << garbage.str();
    std::filesystem::remove_all(dir);
}

}  // namespace
