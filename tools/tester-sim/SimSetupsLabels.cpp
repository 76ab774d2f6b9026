// smgetlf, smimportlabels, smrmlabels: the tester's cable-id lists, one NAME.ids file each.
#include <algorithm>

#include "SimSetups.h"
#include "SimVfs.h"

namespace fs = std::filesystem;

namespace Kestrix::Sim::SimSetups {
namespace {

constexpr size_t kMaxIds = 5000;
constexpr size_t kMaxIdLength = 60;
constexpr const char* kSuffix = ".ids";

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A list file name the folder can hold: one path component ending in ".ids" after a non-empty name.
bool validListFile(const std::string& file) {
    return file.size() > 4 && endsWith(file, kSuffix) && file.find('/') == std::string::npos && file != "." &&
           file != "..";
}

std::string listPath(const std::string& file) { return std::string(kCableIdFolder) + "/" + file; }

CommandResult listLists(const CommandContext& c) {
    if (c.args.size() != 1) return usage("smgetlf");
    std::vector<std::string> files;
    if (const auto host = c.vfs.map(kCableIdFolder)) {
        std::error_code ec;
        for (fs::directory_iterator it(*host, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (validListFile(name) && it->is_regular_file(ec)) files.push_back(name);
        }
    }
    std::sort(files.begin(), files.end());
    std::string out;
    for (const auto& f : files) out += f + "\n";
    return CommandResult{out + "OK\n", {}, 0};
}

// The ids of a list file, or none when the tester would refuse it.
std::optional<std::vector<std::string>> readIds(const std::vector<uint8_t>& bytes) {
    std::vector<std::string> ids;
    std::string line;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\n') {
            line.push_back(static_cast<char>(bytes[i]));
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() || i < bytes.size()) {
            if (line.empty() || line.size() > kMaxIdLength || ids.size() == kMaxIds) return std::nullopt;
            ids.push_back(line);
        }
        line.clear();
    }
    if (ids.empty()) return std::nullopt;
    return ids;
}

// smimportlabels [-r] -f FILE: the list takes the file's name; -r replaces a list of that name.
CommandResult importList(const CommandContext& c) {
    const Options o = parseOptions(c.args, "rf:");
    if (!o.ok || !o.has('f')) return usage("smimportlabels [-r] -f FILE");
    const std::string path = o['f'];
    const std::string file = path.substr(path.rfind('/') + 1);
    const auto bytes = readFile(c.vfs, path);
    if (!bytes) return reply("RC_ENTITY_NOT_FOUND");
    if (!validListFile(file) || !readIds(*bytes)) return reply("OP_FAILED");
    const auto target = c.vfs.map(listPath(file));
    std::error_code ec;
    if (!target) return reply("OP_FAILED");
    if (fs::exists(*target, ec) && !o.has('r')) return reply("RC_ENTITY_EXISTS");
    return reply(writeFile(c.vfs, listPath(file), *bytes) ? "OK" : "OP_FAILED");
}

// smrmlabels -f NAME.ids
CommandResult removeList(const CommandContext& c) {
    const Options o = parseOptions(c.args, "f:");
    if (!o.ok || !o.has('f')) return usage("smrmlabels -f NAME.ids");
    const std::string file = o['f'];
    if (!validListFile(file)) return reply("RC_ENTITY_NOT_FOUND");
    const auto target = c.vfs.map(listPath(file));
    std::error_code ec;
    if (!target || !fs::is_regular_file(*target, ec)) return reply("RC_ENTITY_NOT_FOUND");
    return reply(fs::remove(*target, ec) && !ec ? "OK" : "OP_FAILED");
}

}  // namespace

void registerCableIdCommands(TesterSim& sim) {
    sim.addCommand("smgetlf", listLists);
    sim.addCommand("smimportlabels", importList);
    sim.addCommand("smrmlabels", removeList);
}

}  // namespace Kestrix::Sim::SimSetups
