// Instrument settings between host and tester.
#include "tester/host/Log.h"
#include "tester/session/TarvelCom.h"
#include "tester/setups/Guarded.h"
#include "tester/setups/ScreenLock.h"

namespace Kestrix::Tester {

bool TarvelCom::UpdateSettings(const std::vector<uint8_t>& settingsFile) {
    return guarded<bool>("UpdateSettings", false, [&]() -> bool {
        if (settingsFile.empty()) return false;
        ScreenLock lock(*this);
        pause(kLockSettleMs);
        LogContext context("Update Tarvel setups");
        if (!WriteMemory(settingsFile, kSettingsUpload, m_setupsProgress)) return false;
        const auto put = SendTvixCmdQuick(std::string("smputsharedsettings -f ") + kSettingsUpload);
        if (!put || *put != "OK") return false;
        const auto load = SendTvixCmdQuick("uiloadsettings -t0");
        return load && *load == "OK";
    });
}

boost::optional<std::vector<uint8_t>> TarvelCom::RetrieveSettings() {
    return guarded<MaybeBytes>("RetrieveSettings", boost::none, [&]() -> MaybeBytes {
        LogContext context("Retrieve Tarvel setups");
        const auto save = SendTvixCmdQuick("uisavecurrentsettings");
        if (save && *save == "OK") {
            const auto pull = SendTvixCmdQuick(std::string("smpullsharedsettings -f ") + kSettingsDownload);
            if (pull && *pull == "OK") {
                auto bytes = ReadMemory(kSettingsDownload);
                if (bytes && !bytes->empty()) return bytes;
            }
        }
        Log::ErrMsg("Failed to read shared settings");
        return boost::none;
    });
}

}  // namespace Kestrix::Tester
