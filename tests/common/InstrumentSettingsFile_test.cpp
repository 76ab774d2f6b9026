#include "common/InstrumentSettingsFile.h"

#include "CommonTesting.h"

#include "common/PFile.h"

namespace {
InstrumentSettings edited() {
    InstrumentSettings s;
    s.language = Language::korean;
    s.lengthUnits = LengthUnits::feet;
    s.ipAddress = "192.168.1.50";
    return s;
}

std::vector<uint8_t> containerWith(uint16_t type, const std::string& text, bool compress = false) {
    return kx::test::containerOf({{type, {text.begin(), text.end()}}}, compress);
}
}  // namespace

TEST(InstrumentSettingsFile, OneSectionOfCompactJsonThatReadsBackPlainOrCompressed) {
    const auto bytes = InstrumentSettingsFile::write(edited());
    PFile::MemReader reader;
    ASSERT_EQ(reader.open(bytes.data(), static_cast<int32_t>(bytes.size())), 0);
    PFile::Section s;
    ASSERT_EQ(reader.read(s, true), 0);
    EXPECT_EQ(s.type(), 105);
    EXPECT_EQ(s.header.version, 1);
    EXPECT_EQ(s.header.flags, 0);
    const std::string text(reinterpret_cast<const char*>(s.data()), s.size());
    EXPECT_EQ(text, InstrumentSettingsFile::jsonText(edited()));
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(text.rfind("{\"InstrumentSettings\":{", 0), 0u);
    EXPECT_EQ(reader.read(s, true), -2);

    for (const auto& file : {bytes, containerWith(105, text, true)}) {
        InstrumentSettings back;
        std::string error;
        ASSERT_TRUE(InstrumentSettingsFile::read(file, back, &error)) << error;
        EXPECT_TRUE(back.equals(edited()));
    }
}

TEST(InstrumentSettingsFile, RefusesBadFiles) {
    InstrumentSettings back;
    std::string error;
    EXPECT_FALSE(InstrumentSettingsFile::read({}, back, &error));
    EXPECT_FALSE(InstrumentSettingsFile::read({1, 2, 3}, back, &error));
    EXPECT_FALSE(InstrumentSettingsFile::read(containerWith(200, "{}"), back, &error));
    EXPECT_EQ(error, "first section does not hold settings");
    EXPECT_FALSE(InstrumentSettingsFile::read(containerWith(105, "{\"InstrumentSettings\":"), back, &error));
    EXPECT_EQ(error, "settings section is not JSON");
    std::string unknown = InstrumentSettingsFile::jsonText(edited());
    unknown.replace(unknown.find("Korean"), 6, "Klingon");
    back.language = Language::czech;
    EXPECT_FALSE(InstrumentSettingsFile::read(containerWith(105, unknown), back, &error));
    EXPECT_EQ(back.language, Language::english);  // left at the defaults
    // Only the file header section.
    auto headerOnly = PFile::buildContainer({});
    EXPECT_FALSE(InstrumentSettingsFile::read(headerOnly, back, &error));
    EXPECT_EQ(error, "no settings section");
    // A flipped payload bit fails the CRC.
    auto bytes = InstrumentSettingsFile::write(edited());
    bytes.back() ^= 1;
    EXPECT_FALSE(InstrumentSettingsFile::read(bytes, back, &error));
}
