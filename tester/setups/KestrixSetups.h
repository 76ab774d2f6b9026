#pragma once
// The host's editor of the tester's instrument settings file. The host knows the settings by its own
// setup types and values; the table in KestrixSetupsTable.cpp maps them onto the stored fields.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "common/InstrumentSettings.h"

namespace Kestrix::Tester {

// One setup type the editor offers: `format` 0 is a choice among values, 2 a text.
struct SetupTypeInfo {
    SetupTypeInfo(int type_, int format_, int count_) : type(type_), format(format_), count(count_) {}
    int type;
    int format;
    int count;
    bool operator==(const SetupTypeInfo&) const = default;
};

class KestrixSetups {
public:
    // Largest settings file SaveData writes (the tester reads it into a buffer of this size).
    static constexpr size_t kMaxFileSize = 10000;

    KestrixSetups() = default;
    ~KestrixSetups() { Close(); }
    KestrixSetups(const KestrixSetups&) = delete;
    KestrixSetups& operator=(const KestrixSetups&) = delete;

    // New settings as a new tester has them; the editor is then open.
    void New();
    // Reads a settings file; false (and closed) when it is not one.
    bool OpenData(const std::vector<uint8_t>& bytes);
    // The settings file; none when closed or when it cannot be written.
    boost::optional<std::vector<uint8_t>> SaveData() const;
    void Close();
    bool isOpen() const { return m_open; }

    // Host values offered for an enumerated type, in the host's order (empty for other types).
    std::vector<int> GetEnumArray(int type) const;
    bool HasType(int type) const;
    // The host value, or -1 when closed or not an enumerated type.
    int GetSettingEnum(int type) const;
    // Values outside the table are ignored.
    void SetSettingEnum(int type, int value);
    std::string GetSettingString(int type, int index) const;
    // "0.0.0.0" is stored as empty; text is kept as the code page holds it.
    void SetSettingString(int type, int index, const std::string& text);
    std::vector<SetupTypeInfo> GetSetupInfo() const;

    // Fixed answers to the host.
    bool SupportsListDownload() const { return true; }
    bool SupportsLowerCase() const { return true; }
    bool SupportsTesterDelete() const { return true; }
    int GetIdListMaxIds() const { return 5000; }
    int GetIdListMaxChars() const { return 60; }
    std::string GetIdListValidChars() const { return ""; }
    std::string GetIdListValidChars2() const { return ""; }
    int GetProjectMaxChars() const { return 30; }
    int GetSettingStringMax() const { return 0; }
    std::string GetValidChars() const;
    std::string GetProjectValidChars() const;
    std::string GetProjectValidCharsMessage() const;

    // The settings held (none when closed).
    const InstrumentSettings* settings() const { return m_settings.get(); }

private:
    bool m_open = false;
    std::unique_ptr<InstrumentSettings> m_settings;
};

}  // namespace Kestrix::Tester
