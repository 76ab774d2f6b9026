// Project setups between host and tester.
#include "tester/host/Log.h"
#include "tester/session/TarvelCom.h"
#include "tester/setups/Guarded.h"
#include "tester/setups/CodePage.h"
#include "tester/setups/ScreenLock.h"
#include "tester/setups/SetupDatabase.h"
#include "tester/ssh/ShellQuote.h"
#include "tester/ssh/ShellText.h"

namespace Kestrix::Tester {
namespace {

bool contains(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The exported file's path in the reply of smexportproj (the tester doubles "%" there), or empty.
std::string exportedPath(const std::string& reply) {
    const size_t start = reply.find("/tmp");
    if (start == std::string::npos) return "";
    const size_t sql = reply.find(".sql", start);
    if (sql == std::string::npos || sql + 4 - start < 10) return "";
    return replaceAll(reply.substr(start, sql + 4 - start), "%%", "%");
}

std::string baseNameWithoutExtension(const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

int importResult(const boost::optional<std::string>& reply) {
    if (!reply || reply->empty()) return TarvelCom::kProjectNoReply;
    const std::string& r = *reply;
    if (contains(r, "DB_ENTITY_DOES_NOT_EXIST") || contains(r, "RC_ENTITY_NOT_FOUND"))
        return TarvelCom::kProjectNotFound;
    if (hasWord(r, "OK")) return TarvelCom::kProjectDone;
    if (contains(r, "CORRUPT") || contains(r, "OP_FAILED")) return TarvelCom::kProjectFailed;
    if (contains(r, "RC_ENTITY_EXISTS")) return TarvelCom::kProjectExists;
    return TarvelCom::kProjectBadCall;
}

}  // namespace

boost::optional<std::vector<std::string>> TarvelCom::GetProjectNames() {
    return guarded<MaybeNames>("GetProjectNames", boost::none, [&]() -> MaybeNames {
        const auto master = ReadMemory(kMasterDatabase);
        if (!master) return boost::none;
        return projectNamesFromMaster(*master);
    });
}

boost::optional<std::vector<uint8_t>> TarvelCom::UploadProjectSetup(const std::string& name, int& result,
                                                                    std::string& fileName) {
    return guarded<MaybeBytes>("UploadProjectSetup", boost::none, [&]() -> MaybeBytes {
        result = kProjectBadCall;
        fileName.clear();
        if (name.empty()) return boost::none;
        const auto quoted = doubleQuoted(name);
        if (!quoted) return boost::none;
        result = kProjectExportFailed;
        const auto reply = SendTvixCmd("smexportproj -p\"/tmp\" -n" + *quoted + " -f");
        if (!reply || !contains(*reply, "FileExported")) return boost::none;
        const bool custom =
            contains(*reply, "\"CustomLimitsFound\" : true") || contains(*reply, "\"CustomCablesFound\" : true");
        const std::string path = exportedPath(*reply);
        if (path.empty()) return boost::none;
        auto bytes = ReadMemory(path);
        if (!bytes || bytes->empty()) {
            result = kProjectUnreadable;
            return boost::none;
        }
        result = custom ? kProjectDoneCustom : kProjectDone;
        fileName = baseNameWithoutExtension(path);
        return bytes;
    });
}

int TarvelCom::DownloadNewProjectSetup(const std::string& name, bool overwrite, int platform,
                                       const std::vector<uint8_t>& bytes, bool force, const std::string& /*text*/) {
    return guarded<int>("DownloadNewProjectSetup", int{kProjectBadCall}, [&]() -> int {
        if (name.empty() || platform != kPlatform || bytes.empty()) return kProjectBadCall;
        const std::string file = "/tmp/" + projectFileName(name) + ".sql";
        const auto quotedFile = doubleQuoted(file);
        const auto quotedName = doubleQuoted(name);
        if (!quotedFile || !quotedName) return kProjectBadCall;

        bool secondGeneration = false;
        if (const auto reply = SendTvixCmd("sysinfo")) {
            const auto info = GetSysinfo(*reply);
            secondGeneration = info && contains(info->instruments.front().model, "Ombrel");
        }

        ScreenLock lock(*this);
        if (!WriteMemory(bytes, file, m_setupsProgress)) return kProjectNotFound;
        std::string cmd = "smimportproject -i " + *quotedFile;
        if (overwrite) cmd += " -o " + *quotedName;
        if (force) cmd += " -f";
        if (secondGeneration) cmd += " -m 3001";
        return importResult(SendTvixCmd(cmd));
    });
}

}  // namespace Kestrix::Tester
