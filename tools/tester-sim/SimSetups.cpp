#include "SimSetups.h"

#include <cstring>
#include <fstream>

#include "SimVfs.h"

namespace fs = std::filesystem;

namespace Kestrix::Sim {

void registerSetupCommands(TesterSim& sim) {
    SimSetups::registerSettingsCommands(sim);
    SimSetups::registerProjectCommands(sim);
    SimSetups::registerCableIdCommands(sim);
}

namespace SimSetups {

Options parseOptions(const std::vector<std::string>& args, const std::string& letters) {
    Options o;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || a[0] != '-') {
            o.ok = false;
            return o;
        }
        for (size_t k = 1; k < a.size(); ++k) {
            const size_t at = letters.find(a[k]);
            if (a[k] == ':' || at == std::string::npos) {
                o.ok = false;
                return o;
            }
            if (at + 1 < letters.size() && letters[at + 1] == ':') {
                if (k + 1 < a.size()) {
                    o.values[a[k]] = a.substr(k + 1);
                } else if (i + 1 < args.size()) {
                    o.values[a[k]] = args[++i];
                } else {
                    o.ok = false;
                    return o;
                }
                break;
            }
            o.values[a[k]] = "";
        }
    }
    return o;
}

std::optional<std::vector<uint8_t>> readFile(const SimVfs& vfs, const std::string& path, size_t limit) {
    const auto host = vfs.map(path);
    std::error_code ec;
    if (!host || !fs::is_regular_file(*host, ec)) return std::nullopt;
    const auto size = fs::file_size(*host, ec);
    if (ec || size > limit) return std::nullopt;
    std::ifstream in(*host, std::ios::binary);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) return std::nullopt;
    return bytes;
}

bool writeFile(const SimVfs& vfs, const std::string& path, const std::vector<uint8_t>& bytes) {
    const auto host = vfs.map(path);
    if (!host) return false;
    std::error_code ec;
    fs::create_directories(host->parent_path(), ec);
    std::ofstream out(*host, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string projectFileName(const std::string& name) {
    // Latin-1 codes of the UTF-8 name; what Latin-1 cannot hold is "?".
    std::string codes;
    for (size_t i = 0; i < name.size();) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (b < 0x80) {
            codes.push_back(static_cast<char>(b));
            ++i;
        } else if ((b & 0xE0) == 0xC0 && i + 1 < name.size() && (name[i + 1] & 0xC0) == 0x80 && b >= 0xC2) {
            const unsigned cp = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(name[i + 1]) & 0x3Fu);
            codes.push_back(cp <= 0xFF ? static_cast<char>(cp) : '?');
            i += 2;
        } else {
            codes.push_back('?');
            ++i;
            while (i < name.size() && (name[i] & 0xC0) == 0x80) ++i;
        }
    }
    std::string out;
    char buf[4];
    for (char ch : codes) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c != 0 && std::strchr(" \"%*./:;<>?\\|", c) != nullptr)) {
            std::snprintf(buf, sizeof buf, "%%%02x", c);
            out += buf;
        } else if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

CommandResult usage(const std::string& text) { return CommandResult{{}, "usage: " + text + "\n", 2}; }

}  // namespace SimSetups
}  // namespace Kestrix::Sim
