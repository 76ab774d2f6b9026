#include "tester/setups/KestrixSetups.h"

#include "common/InstrumentSettingsFile.h"
#include "tester/setups/CodePage.h"
#include "tester/setups/KestrixSetupsTable.h"

namespace Kestrix::Tester {
namespace {

constexpr const char* kLowerAccented = "çñßàáâãäèéêëìíîïòóôöùúûü";
constexpr const char* kUpperAccented = "ÇÑÀÁÂÃÄÈÉÊËÌÍÎÏÒÓÔÖÙÚÛÜ";

// The characters of UTF-8 text separated by spaces.
std::string spaced(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!out.empty() && (c & 0xC0) != 0x80) out.push_back(' ');
        out.push_back(text[i]);
    }
    return out;
}

}  // namespace

void KestrixSetups::New() {
    m_settings = std::make_unique<InstrumentSettings>();
    InstrumentSettings& s = *m_settings;
    s.audibleToneEnabled = true;
    s.powerLineFrequency = PowerLineFrequency::hz60;
    s.dateFormat = DateFormat::mmddyyyy;
    s.timeFormat = TimeFormat::h12;
    s.numericFormat = NumericFormat::decimalPoint;
    s.lengthUnits = LengthUnits::feet;
    s.language = Language::english;
    s.powerDownTimeout = PowerDownTimeout::min10;
    s.backlightTimeout = BacklightTimeout::min5;
    s.ipAddressSource = IPAddressSource::dhcp;
    m_open = true;
}

bool KestrixSetups::OpenData(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return false;
    Close();
    try {
        auto loaded = std::make_unique<InstrumentSettings>();
        if (InstrumentSettingsFile::read(bytes, *loaded)) m_settings = std::move(loaded);
    } catch (const std::exception&) {
        m_settings.reset();
    }
    m_open = m_settings != nullptr;
    return m_open;
}

boost::optional<std::vector<uint8_t>> KestrixSetups::SaveData() const {
    if (!m_open || !m_settings) return boost::none;
    try {
        if (InstrumentSettingsFile::jsonText(*m_settings).empty()) return boost::none;
        auto bytes = InstrumentSettingsFile::write(*m_settings);
        if (bytes.empty() || bytes.size() > kMaxFileSize) return boost::none;
        return bytes;
    } catch (const std::exception&) {
        return boost::none;
    }
}

void KestrixSetups::Close() {
    m_settings.reset();
    m_open = false;
}

std::vector<int> KestrixSetups::GetEnumArray(int type) const { return SetupTable::offered(type); }

bool KestrixSetups::HasType(int type) const { return (type >= 0 && type <= 8) || type == 12 || type == 13; }

int KestrixSetups::GetSettingEnum(int type) const {
    if (!m_open || !m_settings) return -1;
    return SetupTable::hostValue(*m_settings, type).value_or(-1);
}

void KestrixSetups::SetSettingEnum(int type, int value) {
    if (m_open && m_settings) SetupTable::setHostValue(*m_settings, type, value);
}

std::string KestrixSetups::GetSettingString(int type, int /*index*/) const {
    if (!m_open || !m_settings) return "";
    const std::string* field = SetupTable::textField(*m_settings, type);
    return field ? *field : "";
}

void KestrixSetups::SetSettingString(int type, int /*index*/, const std::string& text) {
    if (!m_open || !m_settings) return;
    std::string* field = SetupTable::textField(*m_settings, type);
    if (field) *field = text == "0.0.0.0" ? std::string() : throughSingleByte(text);
}

std::vector<SetupTypeInfo> KestrixSetups::GetSetupInfo() const {
    std::vector<SetupTypeInfo> info;
    for (int type : {2, 3, 4, 5, 6, 7, 8, 12, 13, 14}) info.emplace_back(type, 0, 1);
    for (int type : {15, 16, 17, 19, 20, 21, 22}) info.emplace_back(type, 2, 1);
    return info;
}

std::string KestrixSetups::GetValidChars() const {
    return std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz1234567890") + kLowerAccented +
           " -/.:*_()" + kUpperAccented;
}

std::string KestrixSetups::GetProjectValidChars() const {
    return std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz1234567890") + kLowerAccented +
           " -/.,':*_[]" + kUpperAccented;
}

std::string KestrixSetups::GetProjectValidCharsMessage() const {
    return std::string("a-Z 0-9 - / . , : * ' _ [ ] SPACE\r\n") + spaced(kLowerAccented) + "\r\n" +
           spaced(kUpperAccented);
}

}  // namespace Kestrix::Tester
