#include "common/InstrumentSettingsFile.h"

#include <json/reader.h>
#include <json/writer.h>

#include <memory>

#include "common/PFile.h"

namespace Kestrix::InstrumentSettingsFile {

InstrumentSettings editorDefaults() {
    InstrumentSettings s;
    s.lengthUnits = LengthUnits::feet;
    return s;
}

std::string jsonText(const InstrumentSettings& settings) {
    Json::FastWriter writer;
    writer.omitEndingLineFeed();
    return writer.write(settings.toJson(Dump::DumpFlags{2}));
}

std::vector<uint8_t> write(const InstrumentSettings& settings) {
    const std::string text = jsonText(settings);
    // Sized from the text, so no settings are too long for the container.
    PFile::Section section;
    if (section.setCopy(PFile::SectionType::InstrumentSettingsJson, kSectionVersion, PFile::SECTION_FLAG_NONE,
                        std::vector<uint8_t>(text.begin(), text.end()), 0) != 0)
        return {};
    return PFile::buildContainer({&section});
}

namespace {
bool fail(std::string* error, const char* reason) {
    if (error) *error = reason;
    return false;
}
}  // namespace

bool read(const std::vector<uint8_t>& bytes, InstrumentSettings& out, std::string* error) {
    out.clear();
    PFile::MemReader reader;
    if (reader.open(bytes) != 0) {
        switch (reader.failure().kind) {
            case PFile::FailureKind::empty: return fail(error, "empty settings file");
            case PFile::FailureKind::containerTooLarge: return fail(error, "settings file too large");
            default: return fail(error, "not a container file");
        }
    }
    PFile::Section section;
    const int32_t rc = reader.read(section, true);
    if (rc == -2) return fail(error, "no settings section");
    if (rc != 0) return fail(error, "corrupt settings section");
    if (section.type() != PFile::SectionType::InstrumentSettingsJson)
        return fail(error, "first section does not hold settings");
    if (section.size() == 0 || section.data() == nullptr) return fail(error, "empty settings section");

    const char* begin = reinterpret_cast<const char*>(section.data());
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> parser(builder.newCharReader());
    Json::Value json;
    std::string parseErrors;
    if (!parser->parse(begin, begin + section.size(), &json, &parseErrors))
        return fail(error, "settings section is not JSON");
    InstrumentSettings loaded;
    if (!loaded.fromJson(json)) return fail(error, "settings JSON is incomplete or holds unknown values");
    out = loaded;
    return true;
}

}  // namespace Kestrix::InstrumentSettingsFile
