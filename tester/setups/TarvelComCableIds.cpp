// Cable-id lists on the tester.
#include <algorithm>

#include "tester/host/Log.h"
#include "tester/host/Printable.h"
#include "tester/session/TarvelCom.h"
#include "tester/setups/Guarded.h"
#include "tester/setups/ScreenLock.h"
#include "tester/ssh/ShellQuote.h"
#include "tester/ssh/ShellText.h"

namespace Kestrix::Tester {
namespace {

constexpr const char* kListSuffix = ".ids\n";

std::string listFile(const std::string& name) {
    std::string file = name;
    for (char& c : file)
        if (c == '/') c = '_';
    return "/tmp/" + file + ".ids";
}

// One id per line: an id holding a line break (or another control character) would become several.
boost::optional<std::vector<uint8_t>> listContent(const CableIDList& list) {
    std::vector<uint8_t> out;
    for (const auto& id : list.IDs) {
        if (!isTerminalSafe(id)) return boost::none;
        out.insert(out.end(), id.begin(), id.end());
        out.push_back('\n');
    }
    return out;
}

}  // namespace

bool TarvelCom::UpdateCableIDList(const CableIDList& list) {
    return pushCableIdList(list).result == CableIdPush::Result::Done;
}

CableIdPush TarvelCom::pushCableIdList(const CableIDList& list) {
    return guarded<CableIdPush>("UpdateCableIDList", CableIdPush{}, [&]() -> CableIdPush {
        LogContext context("Updating Cable ID List");
        CableIdPush out;
        const std::string file = listFile(list.Name);
        const auto quoted = doubleQuoted(file);
        const auto content = listContent(list);
        if (list.Name.empty() || !quoted || !content) {
            Log::ErrMsg("Failed to write cable ids");
            return out;
        }
        ScreenLock lock(*this);
        pause(kLockSettleMs);
        if (!WriteMemory(*content, file, m_setupsProgress)) {
            Log::ErrMsg("Failed to write cable ids");
            return out;
        }
        const auto reply = SendTvixCmdQuick("smimportlabels -r -f " + *quoted);
        if (reply && isReplyLine(*reply, "OK")) {
            out.result = CableIdPush::Result::Done;
            return out;
        }
        if (reply) {
            // The tester said no: whatever list of that name it holds is not the one sent.
            out.result = CableIdPush::Result::Refused;
            out.reply = printable(*reply);
        } else {
            // No answer: the list may or may not have been taken, and a list of that name proves neither.
            out.result = CableIdPush::Result::Unconfirmed;
            out.listExists = CheckConnect(true) && DoesIDListExist(list);
        }
        Log::ErrMsg("Failed to write cable ids");
        return out;
    });
}

boost::optional<std::vector<std::string>> TarvelCom::cableIdListNames() {
    return guarded<MaybeNames>("cableIdListNames", boost::none, [&]() -> MaybeNames {
        auto reply = SendTvixCmd("smgetlf");
        if (!reply) return boost::none;
        std::string text;
        for (size_t at = 0; at < reply->size();) {
            const size_t ok = reply->find("OK\n", at);
            text.append(*reply, at, ok == std::string::npos ? std::string::npos : ok - at);
            at = ok == std::string::npos ? reply->size() : ok + 3;
        }
        std::vector<std::string> names;
        for (size_t at = 0; at < text.size();) {
            const size_t end = text.find(kListSuffix, at);
            if (end == std::string::npos || end == at) break;
            names.push_back(text.substr(at, end - at));
            at = end + std::char_traits<char>::length(kListSuffix);
        }
        return names;
    });
}

boost::optional<std::vector<std::string>> TarvelCom::GetCableIDListFolders() {
    auto names = cableIdListNames();
    if (!names || names->empty()) return boost::none;
    return names;
}

bool TarvelCom::DoesIDListExist(const CableIDList& list) {
    if (list.Name.empty()) return false;
    const auto names = cableIdListNames();
    return names && std::find(names->begin(), names->end(), list.Name) != names->end();
}

bool TarvelCom::DeleteCableIdList(const std::string& name) {
    return guarded<bool>("DeleteCableIdList", false, [&]() -> bool {
        const auto quoted = doubleQuoted(name + ".ids");
        if (name.empty() || !quoted) return false;
        boost::optional<std::string> reply;
        {
            ScreenLock lock(*this);
            reply = SendTvixCmd("smrmlabels -f " + *quoted);
        }
        if (!reply) return false;
        if (hasWord(*reply, "OK")) return true;
        // A tester that says nothing useful may still have removed it; a list that cannot be read proves nothing.
        const auto names = cableIdListNames();
        return names && std::find(names->begin(), names->end(), name) == names->end();
    });
}

}  // namespace Kestrix::Tester
